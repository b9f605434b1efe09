#include "core/support/ShownText.h"

bool isHiddenControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0xFEFF;
}

QString shownText(QStringView text, qsizetype maxLength)
{
    const qsizetype limit = qMax<qsizetype>(1, maxLength);
    const bool cut = text.size() > limit;
    qsizetype keep = cut ? limit : text.size();
    // Never split a surrogate pair at the cut.
    if (cut && keep > 0 && QChar::isHighSurrogate(text[keep - 1].unicode()))
        --keep;
    QString shown;
    shown.reserve(keep + 32);
    for (qsizetype i = 0; i < keep; ++i) {
        const char16_t c = text[i].unicode();
        shown.append(isHiddenControl(c) ? QChar(u'.') : QChar(c));
    }
    if (cut)
        shown += QStringLiteral("… (%1 characters)").arg(text.size());
    return shown;
}
