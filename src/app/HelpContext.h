#pragma once

#include <cstdint>
#include <string>

// Commands of the help viewer.
inline constexpr uint32_t HH_DISPLAY_TOPIC = 0;  // the manual's default topic
inline constexpr uint32_t HH_HELP_CONTEXT = 15;  // a topic by number

// The manual of a language: the French one for 1036, the English one for any other.
std::string HelpFileName(uint32_t lcid);

// The topic of a help context, found by its low 16 bits (a dialog's resource number):
// 102 (main window) 1, 129 (element editor) 2, 133 (FTP parameters) 3; 0 for any other.
uint32_t HelpTopicForContext(uint32_t context);

// What one help request asks of the viewer.
struct HtmlHelpCall {
    std::string file;
    uint32_t command;
    uint32_t argument;
};

// The viewer call for a request (context and HELP_CONTEXT or HELP_INDEX) in a language:
// a context with a topic shows that topic; anything else shows the default topic.
HtmlHelpCall HtmlHelpCallFor(uint32_t context, uint32_t command, uint32_t lcid);
