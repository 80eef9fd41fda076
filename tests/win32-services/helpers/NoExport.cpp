// A library that loads but has none of the WebView2 loader's exports.
#include <windows.h>

extern "C" __declspec(dllexport) int SomethingElse() { return 0; }
