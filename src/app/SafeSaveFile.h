#pragma once

#include <QFile>
#include <QString>

// Saving that never destroys the previous file: the data go to a new file
// in the same folder, which is flushed to the disk and then renamed over
// the target in one step. Until Commit succeeds the target is untouched; a
// save that is not committed (failure, or destruction) leaves no trace.
// Permissions of an existing target are kept; a symbolic link is followed,
// so the file it points to is replaced and the link stays.
class CSafeSaveFile
{
public:
    CSafeSaveFile() = default;
    CSafeSaveFile(const CSafeSaveFile&) = delete;
    CSafeSaveFile& operator=(const CSafeSaveFile&) = delete;
    ~CSafeSaveFile();

    // Creates the temporary file for `target`. False when it cannot be made,
    // or when the target exists and may not be written.
    bool Open(const QString& target);
    // The open temporary file to write (and seek) in.
    QFile& File() { return file_; }
    // Flushes, syncs to the disk, renames over the target and syncs the
    // folder. False, with the target untouched and the temporary file
    // removed, when any step fails.
    bool Commit();
    // Drops the temporary file.
    void Discard();

    const QString& Target() const { return target_; }

private:
    QString target_;
    QFile file_;
};
