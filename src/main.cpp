#include "runtime/Runtime.h"

int main(int argc, char** argv) { return zorv::RunRuntime(argc, argv); }
