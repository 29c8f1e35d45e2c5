#pragma once
#include <string>

// A modal message box with the text and an OK button; returns when the user
// has closed it. The text is 8-bit, in the ANSI code page.
void ShowMessage(const std::string& text);

// Tests only: when set, ShowMessage hands its text here instead of showing a box.
extern void (*ShowMessage_Hook)(const std::string& text);
