#pragma once
// Installs the message-box handler that shows a real QMessageBox, on the user-interface thread
// whichever thread asks.
void InstallGuiMessageBox();
