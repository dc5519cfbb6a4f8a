#include "CallerNumberScan.h"

void CallerNumberScan::feed(QChar c)
{
    if (c >= u'0' && c <= u'9') {
        if (m_runLength < 10)
            m_run.append(c);
        m_runLength.increment();
        if (m_runLength == 10)
            m_found = m_run;
    } else {
        m_run.clear();
        m_runLength = 0;
    }
}

void CallerNumberScan::feed(const QString& text)
{
    for (const QChar c : text)
        feed(c);
}
