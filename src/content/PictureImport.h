#pragma once

#include "app/StringTable.h"
#include "model/Frame.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// What an import shows the operator, supplied by the caller: the editor puts
// message boxes and a progress dialog behind it, the headless tool and the
// tests a plain one.
class IImportFeedback
{
public:
    virtual ~IImportFeedback() = default;
    // A question with the answers Yes (true) and No.
    virtual bool Ask(const CUserMessage& question) = 0;
    // An error or warning (the message's icon tells which).
    virtual void Show(const CUserMessage& message) = 0;
    // The progress display ("Please wait..."): opened with a range, moved,
    // closed. Progress returns false once the operator has cancelled (closed
    // the display or held Esc); the user interface lets pending window
    // messages run there.
    virtual void BeginProgress(int range) = 0;
    virtual bool Progress(int position) = 0;
    virtual void EndProgress() = 0;
};

// The video mode an object is imported for.
struct CImportTarget
{
    int canvasWidth = 1920;
    int canvasHeight = 1080;
    int framePeriod = 20000;  // µs
    // The frame time of list entries and sequences: the period in whole ms.
    int DefaultFrameTime() const { return framePeriod > 0 ? framePeriod / 1000 : 20; }
};

struct CPictureImportResult
{
    // The new object, placed on the canvas; null when the import failed or
    // was cancelled (its message has been shown).
    std::unique_ptr<CFrame> object;
    // Warnings (image cropped, sequence truncated) to show once the object
    // has been added to the page.
    std::vector<CUserMessage> warnings;
};

// The editor's "Picture/animation" command after the file dialog: imports a
// picture, an animated GIF, a numbered picture sequence starting at `path`,
// an image list (".txt": one picture per line, "path;ms" for its own frame
// time, relative paths from the list's folder) or a video as a new object.
CPictureImportResult ImportPictureObject(const QString& path, const CImportTarget& target, IImportFeedback& feedback);

// Imports an object's linked image file again when it changed on disk (or
// was never imported): the frames are replaced and the background texture
// released, to be made at the new size. Returns 1 when the object has
// frames; 1 at once for an object without a linked file. For an object that
// does not play (the user-interface thread's Play, the editor's picture):
// while it plays, its linked file goes through content/FrameLinkedImage.h.
int InitBackground(CFrame& object);

// The frames of a linked image file as InitBackground imports them: within
// 1920 x 1080, without messages, frames of a list or sequence at the frame
// period's length. keepGoing, when given, is asked after each frame; once it
// says no, the import ends and gives null. The stamp is left to the caller.
std::unique_ptr<CImportedBackground> ImportLinkedFile(const QString& path, int framePeriod,
                                                      const std::function<bool()>& keepGoing);

// The file names of a numbered sequence starting at `path` ("name007.png",
// "name008.png", ...: the same prefix, the number zero-padded to the same
// digit count), as long as the files exist; just `path` when its name does
// not end in digits.
QStringList NumberedSequence(const QString& path);

// The patterns of the open dialog's filter.
extern const char* const kPictureImportPatterns;

// The largest total of stored frame bytes one object takes from an import:
// a long video kept raw would otherwise take all memory before the
// 1000-frame cap is reached. Beyond it the sequence is truncated.
inline constexpr int64_t kMaxImportedBytes = int64_t(2) << 30;
