// The program's message boxes and its one-line input box.
#pragma once

#include <windows.h>

#include <string>

namespace toolkit {

// A plain notice with an OK button, titled with the application's title.
void ShowMessage(HWND owner, const std::string& text);

// The text an error box shows for an error's message: a "." is appended when the
// last character sorts above "." (every double-byte character does).
std::string ErrorBoxText(const std::string& message);

// An error box (error icon, OK) titled with the application's title.
void ShowError(HWND owner, const std::string& message);

// A warning with "はい(&Y)" (the default) and "いいえ(&N)"; true for yes.
bool AskWarningYesNo(HWND owner, const std::string& title, const std::string& text);

// A modal one-line input box with OK (default, Enter) and "キャンセル" (Esc). The
// field is filled with `value`, wholly selected, and holds at most `maxBytes`
// bytes. True with the entered text in `value` on OK; false, value untouched,
// on cancel or the close box.
bool InputQuery(HWND owner, const std::string& caption, const std::string& prompt,
                std::string& value, int maxBytes);

// The title of the program's boxes.
extern const char kApplicationTitle[];

}  // namespace toolkit
