// Prints the option table, one option a line, tab-separated: name, kind, group, default,
// minimum, maximum and the choices (comma-separated), for the description's test to read.
#include <iostream>
#include <string>

#include "settings/module_options.h"

using namespace vexaframe;

int main() {
    // In the order of OptionKind and OptionGroup.
    const char* const kinds[] = {"flag", "switch", "number", "choice", "path", "window-id"};
    const char* const groups[] = {"window", "frames", "setting", "help"};
    for (const OptionEntry& entry : ModuleOptionTable()) {
        std::string choices;
        for (std::string_view word : entry.choices) {
            choices += (choices.empty() ? "" : ",") + std::string(word);
        }
        std::cout << entry.name << '\t' << kinds[static_cast<int>(entry.kind)] << '\t'
                  << groups[static_cast<int>(entry.group)] << '\t' << DefaultText(entry) << '\t'
                  << entry.minimum << '\t' << entry.maximum << '\t' << choices << '\n';
    }
}
