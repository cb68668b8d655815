#pragma once
// Text rules of the client protocol: trimming of the six white-space characters, ASCII-only case
// folding, and the lenient decimal reading the notifications use.
#include <QString>

namespace SkypeText {

inline bool IsSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\r' || u == u'\n' || u == u'\v' || u == u'\f';
}

inline QString Trim(const QString& s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && IsSpace(s[b]))
        ++b;
    while (e > b && IsSpace(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

inline QString Upper(QString s)
{
    for (auto& c : s)
        if (c.unicode() >= u'a' && c.unicode() <= u'z')
            c = QChar(c.unicode() - 32);
    return s;
}

inline QString Lower(QString s)
{
    for (auto& c : s)
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(c.unicode() + 32);
    return s;
}

inline bool EqualsNoCase(const QString& a, const QString& b) { return a.size() == b.size() && Lower(a) == Lower(b); }

// Leading white space skipped, an optional sign, then digits up to the first non-digit; 0 when
// there are none. Saturates instead of overflowing.
inline long long ToInt(const QString& s)
{
    qsizetype i = 0;
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
        if (value < 1'000'000'000'000LL)
            value = value * 10 + (s[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

// Splits at the first blank: head before it, tail after it. False when there is no blank.
inline bool SplitAtBlank(const QString& s, QString& head, QString& tail)
{
    const qsizetype at = s.indexOf(u' ');
    if (at < 0)
        return false;
    head = s.left(at);
    tail = s.mid(at + 1);
    return true;
}

} // namespace SkypeText
