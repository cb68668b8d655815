// Child process of the kill test: keeps changing and saving the history at the path it is given
// until it is killed.
#include <QCoreApplication>
#include <QString>

#include <cstdio>

#include "history/HistoryStore.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    CHistoryStore store;
    store.Open(QString::fromLocal8Bit(argv[1]));
    std::printf("ready\n");
    std::fflush(stdout);
    for (long long i = 0;; ++i) {
        CHistoryRecord record;
        record.name = QString("partner%1").arg(i);
        record.time = QString::number(1330000000 + i);
        record.file = QString("/home/ann/Documents/Morvex/partner%1.mp3").arg(i);
        record.note = QString(200, QChar('n')) + "\r\n" + QString::number(i);
        store.Add(record);
        if (i % 3 == 2)
            store.Remove(QString("partner%1").arg(i - 2), QString::number(1330000000 + i - 2));
        else
            store.MarkPlayed(record.name, record.time);
    }
}
