#include "content/PictureFile.h"

#include <QFile>
#include <QFileInfo>

CPictureFile::CPictureFile() = default;
CPictureFile::~CPictureFile() = default;

int CPictureFile::Open(const QString& path)
{
    decoder_.reset();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return kPictureOpenFailed;
    // Pipes and devices report no size: read at most the limit and one byte.
    if (file.size() > CPictureDecoder::kMaxFileBytes)
        return kPictureInvalid;
    QByteArray bytes = file.read(CPictureDecoder::kMaxFileBytes + 1);
    if (bytes.size() > CPictureDecoder::kMaxFileBytes)
        return kPictureInvalid;
    decoder_ = std::make_unique<CPictureDecoder>(std::move(bytes));
    return decoder_->FrameCount() > 0 ? kPictureLoaded : kPictureInvalid;
}

int CPictureFile::FrameCount() const
{
    return decoder_ ? decoder_->FrameCount() : 0;
}

int CPictureFile::Load(int frameIndex, int useAlpha, CPicture& picture)
{
    picture = CPicture();
    if (!decoder_)
        return kPictureOpenFailed;
    CPictureDecoder::Frame frame;
    if (!decoder_->Decode(frameIndex, frame))
        return kPictureInvalid;
    picture = std::move(frame.picture);
    if (decoder_->Format() == PictureFormat::Gif) {
        picture.frameCount = decoder_->FrameCount();
        picture.frameDelay = frame.delayMs;
    }
    if (!useAlpha && frame.hasAlpha)
        for (uint32_t& p : picture.pixels)
            p |= 0xFF000000u;
    return kPictureLoaded;
}

QString BmpCompanionPath(const QString& path, bool* isWhite)
{
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QStringLiteral(".") + info.suffix();
    const QString folder = path.left(path.size() - info.fileName().size());
    const bool white = base.size() >= 2 && base.endsWith(QStringLiteral("_w"), Qt::CaseInsensitive);
    if (isWhite)
        *isWhite = white;
    return folder + (white ? base.left(base.size() - 2) : base + QStringLiteral("_W")) + suffix;
}

int CPicture::LoadFromFile(const QString& path, int useAlpha, int frameIndex)
{
    *this = CPicture();
    CPictureFile file;
    int result = file.Open(path);
    if (result == kPictureLoaded)
        result = file.Load(frameIndex < 0 ? 0 : frameIndex, useAlpha, *this);
    if (result != kPictureLoaded)
        return result;

    if (useAlpha && file.Format() == PictureFormat::Bmp) {
        // Renders over white and black beside each other give the alpha.
        bool white = false;
        const QString companionPath = BmpCompanionPath(path, &white);
        CPicture companion;
        if (QFileInfo::exists(companionPath) && companion.LoadFromFile(companionPath, 0, -1) == kPictureLoaded
            && companion.width == width && companion.height == height) {
            const CPicture self = *this;
            CombineBlackWhite(white ? self : companion, white ? companion : self, 255);
        }
    }
    return kPictureLoaded;
}
