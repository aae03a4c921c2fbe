// Message boxes the way this program shows them: no owner window, only an OK button.
#pragma once

void showMessage(const char* text, const char* title);
