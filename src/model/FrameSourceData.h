#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The parsed file of a CSV text source.
class CFrameSourceData
{
public:
    virtual ~CFrameSourceData() = default;

    // One per column: "%<header field>%" with a header line, else "%1%", "%2%", ...
    QStringList placeholders;
    std::vector<QStringList> rows;
    int currentRow = 0;
};
