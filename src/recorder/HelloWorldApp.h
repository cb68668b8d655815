#pragma once
// Kestrel's application object: one copy per user, the process prepared, the main window run
// until the program ends.
#include <memory>

class CSingleInstance;

class CHelloWorldApp {
public:
    CHelloWorldApp();
    ~CHelloWorldApp();
    // Runs Kestrel inside an existing QApplication; returns the exit status. A second copy
    // returns 0 at once without a window.
    int Run();

private:
    std::unique_ptr<CSingleInstance> m_instance;
};
