// Importing pictures, sequences, image lists and videos as background
// frames: for a new object (with messages and progress) and for the
// re-import of a linked image (silently, within 1920 x 1080).
#include "content/PictureImport.h"

#include "app/Log.h"
#include "content/FrameLinkedImage.h"
#include "content/PictureFile.h"
#include "content/VideoFile.h"
#include "playback/NonStdioFile.h"
#include "playback/SourceFileStamp.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <functional>

const char* const kPictureImportPatterns =
    "*.tga;*.bmp;*.png;*.jpg;*.jpeg;*.gif;*.txt;*.avi;*.mov;*.mp4;*.m4v;*.mkv;*.webm;*.mpg;*.mpeg;*.ts;*.mxf;*.wmv;*.flv";

namespace {

constexpr int kLinkedMaxWidth = 1920;
constexpr int kLinkedMaxHeight = 1080;
// A sequence is looked for no further than this many files.
constexpr int kMaxSequenceNames = 100000;

constexpr int kTextVideoTooSmall = 10204;
constexpr int kTextVideoTooLarge = 10205;
constexpr int kTextVideoFailed = 10206;
constexpr int kTextImageCropped = 10207;
constexpr int kTextTooManyImages = 10208;
constexpr int kTextFileOpenFailed = 10361;
constexpr int kTextPictureResultBase = 10360;
constexpr int kTextImportFrames = 10656;

CUserMessage Message(int id, int icon, const QString& path = QString())
{
    const QByteArray utf8 = QDir::toNativeSeparators(path).toUtf8();
    return CUserMessage{id, icon, FormatText(id, utf8.constData())};
}

QString LowerExtension(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix.isEmpty() ? QString() : QStringLiteral(".") + suffix;
}

// Leading decimal digits of text as a number (0 without any), saturating.
int LeadingNumber(const QString& text)
{
    const QString t = text.trimmed();
    long long value = 0;
    for (const QChar c : t) {
        if (!c.isDigit() || c.unicode() > '9')
            break;
        value = std::min<long long>(value * 10 + (c.unicode() - '0'), INT_MAX);
    }
    return int(value);
}

// Adds frames to a set of frames of a common size (an object's, or a
// linked file's waiting to be swapped in) and remembers what the operator
// must be told.
class CBackgroundLoader
{
public:
    CBackgroundLoader(std::vector<CFrameBackground>& frames, int& width, int& height, int maxWidth, int maxHeight,
                      int frameTime, IImportFeedback* feedback)
        : frames_(frames), width_(width), height_(height), maxWidth_(maxWidth), maxHeight_(maxHeight),
          frameTime_(frameTime), feedback_(feedback)
    {
    }

    bool tooLarge = false;
    bool tooMany = false;
    bool cancelled = false;

    void Picture(const QString& path);
    void List(const QStringList& entries, const QString& folder);
    void Video(const QString& path);

private:
    bool Add(const CPicture& picture, int duration);
    void Show(const CUserMessage& message)
    {
        if (feedback_)
            feedback_->Show(message);
    }
    void BeginProgress(int range)
    {
        if (feedback_)
            feedback_->BeginProgress(range);
    }
    bool Progress(int position)
    {
        if (feedback_ && !feedback_->Progress(position)) {
            cancelled = true;
            return false;
        }
        return true;
    }
    void EndProgress()
    {
        if (feedback_)
            feedback_->EndProgress();
    }

    std::vector<CFrameBackground>& frames_;
    int& width_;
    int& height_;
    int maxWidth_;
    int maxHeight_;
    int frameTime_;
    IImportFeedback* feedback_;
    int64_t storedBytes_ = 0;
};

bool CBackgroundLoader::Add(const CPicture& picture, int duration)
{
    if (picture.width > maxWidth_ || picture.height > maxHeight_)
        tooLarge = true;
    if (storedBytes_ >= kMaxImportedBytes) {
        tooMany = true;
        return false;
    }
    const size_t before = frames_.size();
    if (!AppendBackgroundFrame(frames_, width_, height_, maxHeight_, picture, maxWidth_, duration)) {
        tooMany = true;
        return false;
    }
    if (frames_.size() > before)
        storedBytes_ += int64_t(frames_.back().picture.StoredSize());
    return true;
}

void CBackgroundLoader::Picture(const QString& path)
{
    CPicture picture;
    int result = picture.LoadFromFile(path, 1, -1);
    if (result != kPictureLoaded) {
        Show(Message(kTextPictureResultBase + result, kMessageError, path));
        return;
    }
    if (!Add(picture, picture.frameDelay > 0 ? picture.frameDelay : frameTime_) || picture.frameCount <= 1)
        return;
    // The other frames of an animation, decoded in order from one reading
    // of the file.
    CPictureFile file;
    result = file.Open(path);
    const int frames = picture.frameCount;
    BeginProgress(frames);
    for (int i = 1; i < frames && result == kPictureLoaded; ++i) {
        result = file.Load(i, 1, picture);
        if (result != kPictureLoaded)
            break;
        if (!Add(picture, picture.frameDelay > 0 ? picture.frameDelay : frameTime_) || !Progress(i))
            break;
    }
    EndProgress();
    if (result != kPictureLoaded)
        Show(Message(kTextPictureResultBase + result, kMessageError, path));
}

void CBackgroundLoader::List(const QStringList& entries, const QString& folder)
{
    BeginProgress(int(entries.size()));
    int position = 0;
    for (const QString& entry : entries) {
        ++position;
        const qsizetype separator = entry.indexOf(QLatin1Char(';'));
        QString name = (separator < 0 ? entry : entry.left(separator)).trimmed();
        if (name.isEmpty())
            continue;
        const int ownTime = separator < 0 ? 0 : LeadingNumber(entry.mid(separator + 1));
        // Lists written on other systems use backslashes.
        name.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (QFileInfo(name).isRelative())
            name = folder + name;
        CPicture picture;
        const int result = picture.LoadFromFile(name, 1, -1);
        if (result != kPictureLoaded) {
            Show(Message(kTextPictureResultBase + result, kMessageError, name));
            break;
        }
        if (!Add(picture, ownTime > 0 ? ownTime : frameTime_) || !Progress(position))
            break;
    }
    EndProgress();
}

void CBackgroundLoader::Video(const QString& path)
{
    CVideoFile video;
    // Frames are never larger than the stream says; the decoder refuses
    // any that claims more than this.
    const int64_t maxPixels = std::max<int64_t>(int64_t(maxWidth_) * maxHeight_ * 2, 1920 * 1088);
    const int opened = video.Open(path, maxPixels);
    if (opened == CVideoFile::kOpenFailed) {
        Show(Message(kTextFileOpenFailed, kMessageError, path));
        return;
    }
    if (opened != CVideoFile::kOpened || video.rate <= 0 || video.scale <= 0) {
        Show(Message(kTextVideoFailed, kMessageError));
        return;
    }
    if (video.width < 16 || video.height < 16) {
        Show(Message(kTextVideoTooSmall, kMessageError));
        return;
    }
    if (video.width > maxWidth_ || video.height > maxHeight_) {
        Show(Message(kTextVideoTooLarge, kMessageError));
        return;
    }
    const int duration = video.FrameDurationMs();
    BeginProgress(kMaxBackgroundFrames);
    CPicture picture;
    int frames = 0;
    int read = 0;
    while ((read = video.ReadFrame(picture)) == 1) {
        ++frames;
        if (!Add(picture, duration) || !Progress(frames))
            break;
    }
    EndProgress();
    if (frames == 0)
        Show(Message(kTextVideoFailed, kMessageError));
}

QStringList ReadList(const QString& path, bool* opened)
{
    QStringList lines;
    CNonStdioFile file;
    *opened = file.Open(path, kEncodingAuto) != 0;
    QString line;
    while (*opened && file.ReadLine(line))
        lines.push_back(line);
    return lines;
}

QString FolderOf(const QString& path)
{
    const QString folder = QFileInfo(path).path();
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

}  // namespace

QStringList NumberedSequence(const QString& path)
{
    const QFileInfo info(path);
    const QString fileName = info.fileName();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? fileName.left(dot) : fileName;
    const QString extension = dot > 0 ? fileName.mid(dot) : QString();
    int digits = 0;
    while (digits < base.size() && base[base.size() - 1 - digits].isDigit()
           && base[base.size() - 1 - digits].unicode() <= '9')
        ++digits;
    // Numbers longer than nine digits are names, not frame numbers.
    if (digits == 0 || digits > 9)
        return {path};
    const QString folder = path.left(path.size() - fileName.size());
    const QString prefix = base.left(base.size() - digits);
    long long number = base.right(digits).toLongLong();
    QStringList names;
    while (names.size() < kMaxSequenceNames && number <= INT_MAX) {
        const QString name =
            folder + prefix + QStringLiteral("%1").arg(number, digits, 10, QLatin1Char('0')) + extension;
        if (!QFileInfo::exists(name))
            break;
        names.push_back(name);
        ++number;
    }
    if (names.isEmpty())
        names.push_back(path);
    return names;
}

CPictureImportResult ImportPictureObject(const QString& path, const CImportTarget& target, IImportFeedback& feedback)
{
    CPictureImportResult result;
    auto object = std::make_unique<CFrame>();
    object->framePeriod = target.framePeriod;
    const int w = target.canvasWidth, h = target.canvasHeight;
    CBackgroundLoader loader(object->backgroundFrames, object->backgroundWidth, object->backgroundHeight, w, h,
                             target.DefaultFrameTime(), &feedback);
    const QString extension = LowerExtension(path);
    if (extension == QLatin1String(".txt")) {
        bool opened = false;
        const QStringList entries = ReadList(path, &opened);
        if (!opened) {
            feedback.Show(Message(kTextFileOpenFailed, kMessageError, path));
            return result;
        }
        loader.List(entries, FolderOf(path));
    } else if (IsVideoExtension(extension)) {
        loader.Video(path);
    } else {
        const QStringList names = NumberedSequence(path);
        if (names.size() >= 2
            && feedback.Ask(CUserMessage{kTextImportFrames, kMessageQuestion,
                                         FormatText(kTextImportFrames, int(names.size()))}))
            loader.List(names, FolderOf(path));
        else
            loader.Picture(path);
    }
    if (object->backgroundFrames.empty() || loader.cancelled)
        return result;

    object->backgroundType = kBackgroundPicture;
    object->imageFileName = path;
    object->imageFileStamp = FileStampOf(path);
    object->imageFileTime = object->imageFileStamp.LastWriteTime();
    object->backgroundColor = 0xFF000000u;
    CRect rect{32, 32, 32 + std::min(object->backgroundWidth, w), 32 + std::min(object->backgroundHeight, h)};
    rect.Offset(-std::max(0, rect.right - w), -std::max(0, rect.bottom - h));
    object->rect = rect;
    if (object->backgroundFrames.size() > 1) {
        long long total = 0;
        for (const CFrameBackground& frame : object->backgroundFrames)
            total += frame.duration;
        object->showFor = int(std::min<long long>(total, INT_MAX));
    }
    if (loader.tooLarge)
        result.warnings.push_back(Message(kTextImageCropped, kMessageWarning));
    if (loader.tooMany)
        result.warnings.push_back(Message(kTextTooManyImages, kMessageWarning));
    result.object = std::move(object);
    return result;
}

std::unique_ptr<CImportedBackground> ImportLinkedFile(const QString& path, int framePeriod,
                                                      const std::function<bool()>& keepGoing)
{
    auto imported = std::make_unique<CImportedBackground>();
    imported->fileName = path;
    // Ends the import early when keepGoing says so.
    class CStopWhenAsked final : public IImportFeedback
    {
    public:
        explicit CStopWhenAsked(const std::function<bool()>& keepGoing) : keepGoing_(keepGoing) {}
        bool Ask(const CUserMessage&) override { return false; }
        void Show(const CUserMessage&) override {}
        void BeginProgress(int) override {}
        bool Progress(int) override { return keepGoing_(); }
        void EndProgress() override {}

    private:
        const std::function<bool()>& keepGoing_;
    } stopWhenAsked(keepGoing);
    CBackgroundLoader loader(imported->frames, imported->width, imported->height, kLinkedMaxWidth, kLinkedMaxHeight,
                             framePeriod > 0 ? framePeriod / 1000 : 20, keepGoing ? &stopWhenAsked : nullptr);
    const QString extension = LowerExtension(path);
    if (extension == QLatin1String(".txt")) {
        bool opened = false;
        const QStringList entries = ReadList(path, &opened);
        loader.List(entries, FolderOf(path));
    } else if (IsVideoExtension(extension)) {
        loader.Video(path);
    } else {
        loader.Picture(path);
    }
    if (loader.cancelled)
        return nullptr;
    return imported;
}

int InitBackground(CFrame& object)
{
    WriteLog(kLogLifecycle, "CFrame::InitBackground() called");
    if (!object.linkImageFile)
        return 1;
    const CFileStamp stamp = FileStampOf(object.imageFileName);
    // This version is the newest now: an import of another one still under
    // way for the object is dropped; one of this version is taken.
    std::unique_ptr<CImportedBackground> waited;
    object.linkedImage->Record(object.imageFileName, stamp, &waited);
    // An unchanged file that gave no frames before gives none now either.
    if (stamp.IsValid() && stamp == object.imageFileStamp)
        return object.backgroundFrames.empty() ? 0 : 1;

    std::unique_ptr<CImportedBackground> imported;
    if (waited && stamp.IsValid() && waited->stamp == stamp && waited->fileName == object.imageFileName)
        imported = std::move(waited);
    else
        imported = ImportLinkedFile(object.imageFileName, object.framePeriod, {});
    imported->stamp = stamp;
    CFrameLinkedImage(object).Adopt(*imported);
    const int result = object.backgroundFrames.empty() ? 0 : 1;
    WriteLog(kLogLifecycle, "CFrame::InitBackground() = %d", result);
    return result;
}
