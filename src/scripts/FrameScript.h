#pragma once

#include "scripts/FrameScriptItem.h"

#include <QByteArray>
#include <QString>

#include <vector>

// A script: an ordered list of playout steps and the flag that starts it
// again from the top after its last step. The document holds one script,
// which the script editor edits in place and the runner executes. Scripts are
// stored as small UTF-8 XML files (".script").
class CFrameScript
{
public:
    // Script files larger than this are refused before they are read.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;
    // Files with more tags or attributes are refused before they are parsed
    // (see XmlLimits): a script of 100 000 steps has 100 002 tags and
    // 300 001 attributes, a step three.
    static constexpr qsizetype kMaxTags = 256 * 1024;
    static constexpr qsizetype kMaxAttributes = 1024 * 1024;
    static constexpr qsizetype kMaxAttributesPerTag = 64;

    QString fileName;  // full path last loaded from or saved to; empty for a new script
    std::vector<CFrameScriptItem> items;
    int loop = 0;      // 1: after the last step, continue with the first

    // Deletes every step, empties fileName, loop = 0.
    void Clear();

    // Reads a script file. The script is cleared first, also when the read
    // fails. True when at least one valid step was read; then fileName =
    // path. A well-formed file without valid steps leaves an empty script
    // with the loop flag it holds and counts as a failure.
    bool LoadFile(const QString& path);
    // Writes the script to path through a temporary file in the same folder
    // that replaces the old file only when everything was written. True on
    // success; then fileName = path. On failure the old file and fileName
    // stay as they were.
    bool SaveFile(const QString& path);

    // The reader and writer on bytes in memory; path is the file the bytes
    // belong to (its folder serves the relative page paths). LoadXml follows
    // LoadFile's rules except that fileName and the log stay untouched.
    // SaveXml returns false (and leaves xml empty) when a step cannot be
    // written.
    bool LoadXml(const QByteArray& xml, const QString& path);
    bool SaveXml(const QString& path, QByteArray* xml) const;

    // How a step is shown in the script editor's list.
    static QString Describe(const CFrameScriptItem& item);
    // The file name of fileName without folder and extension.
    QString DisplayName() const;

    // Step operations for the script editor. Index arguments out of range
    // make the operation fail (false) without a change.
    void Append(const CFrameScriptItem& item);
    bool Insert(int index, const CFrameScriptItem& item);  // index == count appends
    bool Remove(int index);
    bool MoveUp(int index);    // swaps with the step before
    bool MoveDown(int index);  // swaps with the step after
    bool Replace(int index, const QString& sdata, int idata);
    int Count() const { return static_cast<int>(items.size()); }
};

// The file name of path without folder and extension, with "/" and "\" both
// taken as folder separators (scripts made on Windows name pages that way).
QString FileTitleOf(const QString& path);
