// The What's This texts of the properties dialog, one per topic number,
// built into the program so that nothing depends on a help viewer.
#pragma once
#include <string_view>

namespace zindle::dialog {

// The text of a topic; empty for a number without a topic.
std::string_view HelpTopicText(int topic);

}  // namespace zindle::dialog
