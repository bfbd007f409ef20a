// Prints the option table, one option a line, tab-separated: name, kind, group, default,
// minimum, maximum and the choices (comma-separated), for the description's test to read.
#include <iostream>
#include <string>

#include "settings/module_options.h"

using namespace vexaframe;

namespace {

const char* KindName(OptionKind kind) {
    switch (kind) {
        case OptionKind::Flag:
            return "flag";
        case OptionKind::Switch:
            return "switch";
        case OptionKind::Number:
            return "number";
        case OptionKind::Choice:
            return "choice";
        case OptionKind::Path:
            return "path";
        case OptionKind::WindowId:
            return "window-id";
    }
    return "?";
}

const char* GroupName(OptionGroup group) {
    switch (group) {
        case OptionGroup::Window:
            return "window";
        case OptionGroup::Frames:
            return "frames";
        case OptionGroup::Setting:
            return "setting";
        case OptionGroup::Help:
            return "help";
    }
    return "?";
}

}  // namespace

int main() {
    for (const OptionEntry& entry : ModuleOptionTable()) {
        std::string choices;
        for (std::string_view word : entry.choices) {
            choices += (choices.empty() ? "" : ",") + std::string(word);
        }
        std::cout << entry.name << '\t' << KindName(entry.kind) << '\t' << GroupName(entry.group)
                  << '\t' << DefaultText(entry) << '\t' << entry.minimum << '\t' << entry.maximum
                  << '\t' << choices << '\n';
    }
}
