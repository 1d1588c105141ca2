#pragma once

#include "model/FileStamp.h"
#include "app/CodePage.h"

#include <QString>

#include <memory>
#include <vector>

// Reads a text file line by line in one of the encodings of TextEncoding
// (Auto detects a byte-order mark and reads ANSI without one). The file is
// read front to back through a small buffer and never seeked.
//
// Lines end at LF, CR LF, a lone CR, NUL and VT, and in the Unicode modes
// also at U+0085, U+2028 and U+2029; the last line needs no terminator.
// Invalid UTF-8 ends the input at the first bad sequence. Characters outside
// the Basic Multilingual Plane become U+FFFD; surrogates, U+FEFF,
// U+FDD0..U+FDEF and U+FFFE/U+FFFF are dropped.
class CNonStdioFile
{
public:
    static constexpr int kBufferSize = 1024;
    static constexpr int kLineStep = 1024;
    // A line is never held longer than this (bytes of the decoded form); a
    // longer one is handed out in pieces, so a file without line breaks
    // cannot take unbounded memory.
    static constexpr int kMaxLineBytes = 32 * 1024 * 1024;

    // codePage: the Windows code page of ANSI text; 0 = AnsiCodePage(),
    // looked up when the first ANSI line is converted.
    explicit CNonStdioFile(int codePage = 0);
    virtual ~CNonStdioFile();
    CNonStdioFile(const CNonStdioFile&) = delete;
    CNonStdioFile& operator=(const CNonStdioFile&) = delete;

    // Opens a regular file for reading; devices, pipes and folders are
    // refused, so a source path can never block or read forever. An
    // encoding outside TextEncoding counts as Auto. Returns 1 or 0.
    int Open(const QString& path, int encoding);
    // 1 with the next line (without its terminator) in text, or 0 when no
    // line is left.
    int ReadLine(QString& text);
    void Close();

    // The open file's stamp; invalid when closed.
    CFileStamp Stamp() const;

    // 1 ANSI, 2 UTF-16LE, 3 UTF-16BE, 4 UTF-8; 0 before Open.
    int Mode() const { return mode; }

private:
    bool Fill(int needed);
    int ReadByte();
    int ReadCharacter();
    void Collect(int character);
    void GrowLine();
    QString TakeLine();

    int fd_ = -1;
    int codePage_ = 0;
    std::unique_ptr<CCodePageConverter> converter_;

    int mode = 0;
    std::unique_ptr<unsigned char[]> buffer;
    int position = 0;
    int filled = 0;
    std::vector<char> line;
    int lineCapacity = 0;
    int lineLength = 0;
    int atEnd = 1;
    int pushedBack = -1;
};
