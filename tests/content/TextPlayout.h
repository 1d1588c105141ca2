#pragma once

#include "content/FramePlayer.h"
#include "content/FrameTextLayout.h"
#include "content/RichEditTextRenderer.h"
#include "model/Frame.h"
#include "support/MemoryTextureDevice.h"
#include "playback/PresentResult.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cmath>

// Rich text of paragraphs in white Arial at `halfPoints` / 2 points.
inline QByteArray RtfOfParagraphs(const QStringList& paragraphs, int halfPoints = 40)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl ;\\red255\\green255\\blue255;}"
                     "\\pard\\cf1\\f0\\fs" + QByteArray::number(halfPoints) + " ";
    for (int i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            rtf += "\\par ";
        rtf += paragraphs[i].toLatin1();
    }
    return rtf + "}";
}

// An object played on a virtual 50 Hz output with the text thread and the
// render thread taking turns on one thread: before each output frame the
// text thread does what it finds to do, then the render thread counts down
// the source checks and presents the object into memory textures.
struct TextPlayout
{
    static constexpr int kFramePeriod = 20000;

    TextPlayout()
    {
        object.framePeriod = kFramePeriod;
        object.backgroundColor = 0;  // clear: only the text is drawn
    }

    void Play(const CRect& rect, int movement)
    {
        object.rect = rect;
        object.movement = movement;
        CFramePlayer(object).Play();
    }

    // Text thread passes until it finds nothing to do (bounded, as a
    // changing source may find work on every pass).
    void TextThread()
    {
        for (int pass = 0; pass < 8 && CFrameTextLayout(object).InvokeRender(renderer); ++pass) {
        }
    }

    int Frame()
    {
        TextThread();
        const int countdown = object.sourceCheckCountdown.load();
        if (countdown > 0 && object.sourceCheckCountdown.fetch_sub(1) == 1)
            object.sourceCheckDue.exchange(1);
        if (!object.EnterRender())
            return 0;
        const int presented = CFramePlayer(object).PresentFrame(result, &device, kFramePeriod);
        object.LeaveRender();
        return presented;
    }

    // Writes (or rewrites) a source file in the playout's own folder.
    QString WriteFile(const char* name, const QByteArray& bytes)
    {
        const QString path = files.filePath(QLatin1String(name));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        return path;
    }

    const CMemoryTexture* TextTexture() const { return dynamic_cast<const CMemoryTexture*>(result.textTexture); }

    // The texel shown at (x, y) of the object: the ring is read through the
    // text window of the frame, wrapping around.
    uint32_t Shown(int x, int y) const
    {
        const CMemoryTexture* texture = TextTexture();
        const int w = texture->Width();
        const int h = texture->Height();
        const int left = static_cast<int>(std::lround(result.textUV.left * w));
        const int top = static_cast<int>(std::lround(result.textUV.top * h));
        return texture->Texel(((left + x) % w + w) % w, ((top + y) % h + h) % h);
    }

    QTemporaryDir files;
    CFrame object;
    CMemoryTextureDevice device;
    CRichEditTextRenderer renderer;
    PresentResult result;
};
