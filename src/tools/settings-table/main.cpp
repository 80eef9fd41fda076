// Prints the Markdown table of the keys of zorv.ini's section [App], as README.md shows it, from
// the settings schema: scripts/update-settings-table.sh puts it into README.md.
#include <iostream>

#include "shared/SettingsSchema.h"

int main() {
    std::cout << zorv::TSettingsSchema::MarkdownTable();
    return std::cout.good() ? 0 : 1;
}
