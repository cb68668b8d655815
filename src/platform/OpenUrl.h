#pragma once
// Opening a web page or a folder with the desktop's handler. The application installs the
// handler that calls the desktop; tests install one that records the address.
#include <QString>

#include <functional>

using OpenUrlHandler = std::function<bool(const QString& url)>;

// Opens the address; false when nothing could open it. Without a handler nothing is opened.
bool OpenUrl(const QString& url);
OpenUrlHandler SetOpenUrlHandler(OpenUrlHandler handler);
