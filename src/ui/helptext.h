// The German help text shown in the help window: one fixed block, UTF-8.
#pragma once

#include <string_view>

namespace quibrano {

// The whole text, lines separated by '\n'. It never changes at run time.
std::string_view HelpText();

}  // namespace quibrano
