#pragma once
// The one way Kestrel tells the user of a failure: a modal message box. The application installs
// a handler that shows a real dialog; tests install one that records the call and answers.
#include <QString>

#include <functional>

#include "platform/MessageWindow.h"

using MessageBoxHandler = std::function<int(HWND owner, const QString& text, const QString& caption, UINT type)>;

// Shows a message box and returns the button the user chose (IDOK, IDYES, ...). Safe from any
// thread. Without a handler the text goes to standard error and the answer is IDOK.
int MessageBox(HWND owner, const QString& text, const QString& caption, UINT type);

// Installs a handler and returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
