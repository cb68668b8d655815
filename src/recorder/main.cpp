// Kestrel: records Skype calls to MP3.
#include <QApplication>

#include "recorder/HelloWorldApp.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel"));
    QApplication::setOrganizationName(QStringLiteral("Morvex"));
    CHelloWorldApp kestrel;
    return kestrel.Run();
}
