#pragma once

#include <QString>
#include <QStringList>

struct CRenderStatistics;

// The paced mode of bench and soak: presentation waits for each frame's
// deadline, as on a display whose vertical blank does not block.

// Takes "--paced" out of the arguments; true when it was there.
bool TakePacedOption(QStringList& arguments);

// The lines a paced run adds to its report: the frames that missed their
// deadline, the most late, the first listLimit of them with the processor
// time each thread had in it, and what made each late. Every line begins
// with indent.
QString MissedDeadlinesText(const CRenderStatistics& statistics, int framePeriodUs, int listLimit,
                            const QString& indent);
