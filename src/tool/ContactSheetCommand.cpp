#include "tool/ToolCommand.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kMaxColumns = 16;
constexpr int kMaxCount = 256;
constexpr int kMaxTileWidth = 1920;
constexpr int kGap = 8;
// Frames larger than any canvas are not frames of ours: refused before
// they are decoded.
constexpr int kMaxFrameSide = 8192;

bool TakeInt(const QStringList& arguments, int& i, int low, int high, int& value)
{
    if (i + 1 >= arguments.size())
        return false;
    bool ok = false;
    value = arguments[++i].toInt(&ok);
    return ok && value >= low && value <= high;
}

// A checkerboard shows where the graphics are transparent, as keyed
// graphics would let the video through.
void PaintCheckerboard(QPainter& painter, const QRect& rect)
{
    constexpr int kSquare = 8;
    painter.fillRect(rect, QColor(64, 64, 64));
    for (int y = rect.top(); y <= rect.bottom(); y += kSquare) {
        for (int x = rect.left() + (((y - rect.top()) / kSquare) % 2) * kSquare; x <= rect.right(); x += 2 * kSquare)
            painter.fillRect(QRect(x, y, kSquare, kSquare).intersected(rect), QColor(96, 96, 96));
    }
}

int RunContactSheet(const QStringList& arguments)
{
    QString folder;
    QString out;
    int columns = 4;
    int count = 12;
    int tileWidth = 384;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        bool ok = true;
        if (argument == QLatin1String("--out") && i + 1 < arguments.size())
            out = arguments[++i];
        else if (argument == QLatin1String("--columns"))
            ok = TakeInt(arguments, i, 1, kMaxColumns, columns);
        else if (argument == QLatin1String("--count"))
            ok = TakeInt(arguments, i, 1, kMaxCount, count);
        else if (argument == QLatin1String("--width"))
            ok = TakeInt(arguments, i, 16, kMaxTileWidth, tileWidth);
        else if (!argument.startsWith(QLatin1String("--")) && folder.isEmpty())
            folder = argument;
        else
            ok = false;
        if (!ok) {
            ToolError(QStringLiteral("tavrel-tool contact-sheet: unexpected or out-of-range argument %1 (see --help)\n")
                          .arg(argument));
            return kUsageError;
        }
    }
    if (folder.isEmpty() || out.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool contact-sheet: FOLDER and --out FILE.png are required\n"));
        return kUsageError;
    }
    const QStringList frames =
        QDir(folder).entryList({QStringLiteral("frame_*.png")}, QDir::Files, QDir::Name);
    if (frames.isEmpty()) {
        ToolError(QStringLiteral("tavrel-tool contact-sheet: no frame_*.png in %1\n").arg(folder));
        return 1;
    }

    // Frames picked evenly over the run, the first and the last included.
    const int picked = std::min<int>(count, static_cast<int>(frames.size()));
    QStringList chosen;
    for (int k = 0; k < picked; ++k) {
        const qsizetype index = picked == 1 ? 0 : k * (frames.size() - 1) / (picked - 1);
        chosen << frames[index];
    }

    QImageReader first(QDir(folder).filePath(chosen.front()));
    const QSize frameSize = first.size();
    if (!frameSize.isValid() || frameSize.width() > kMaxFrameSide || frameSize.height() > kMaxFrameSide) {
        ToolError(QStringLiteral("tavrel-tool contact-sheet: %1 is not a frame picture\n").arg(first.fileName()));
        return 1;
    }
    const int tileHeight = std::max(1, tileWidth * frameSize.height() / frameSize.width());
    columns = std::min(columns, picked);
    const int rows = (picked + columns - 1) / columns;
    QImage sheet(kGap + columns * (tileWidth + kGap), kGap + rows * (tileHeight + kGap), QImage::Format_RGB32);
    sheet.fill(QColor(24, 24, 24));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int k = 0; k < picked; ++k) {
        QImageReader reader(QDir(folder).filePath(chosen[k]));
        if (reader.size() != frameSize) {
            ToolError(QStringLiteral("tavrel-tool contact-sheet: %1 is not %2 x %3 like the first frame\n")
                          .arg(reader.fileName())
                          .arg(frameSize.width())
                          .arg(frameSize.height()));
            return 1;
        }
        const QImage frame = reader.read();
        if (frame.isNull()) {
            ToolError(QStringLiteral("tavrel-tool contact-sheet: cannot read %1\n").arg(reader.fileName()));
            return 1;
        }
        const QRect tile(kGap + (k % columns) * (tileWidth + kGap), kGap + (k / columns) * (tileHeight + kGap),
                         tileWidth, tileHeight);
        PaintCheckerboard(painter, tile);
        painter.drawImage(tile, frame);
    }
    painter.end();
    if (!sheet.save(out, "PNG")) {
        ToolError(QStringLiteral("tavrel-tool contact-sheet: cannot write %1\n").arg(out));
        return 1;
    }
    ToolOut(QStringLiteral("%1: %2 of %3 frames, %4 x %5\n")
                .arg(out)
                .arg(picked)
                .arg(frames.size())
                .arg(sheet.width())
                .arg(sheet.height()));
    return 0;
}

const ToolCommandRegistration registration({
    QStringLiteral("contact-sheet"),
    QStringLiteral("lay rendered frames out as a grid in one PNG"),
    QStringLiteral(
        "Usage: tavrel-tool contact-sheet FOLDER --out SHEET.png [--columns N]\n"
        "           [--count N] [--width W]\n"
        "\n"
        "Takes the frames that `tavrel-tool render` wrote into FOLDER\n"
        "(frame_00000.png, ...), picks N of them (default 12) evenly over the run,\n"
        "the first and the last included, and lays them out scaled to W pixels\n"
        "wide (default 384) in rows of --columns (default 4), over a checkerboard\n"
        "where the graphics are transparent.\n"
        "Exit status: 0 written; 1 no frames, an unreadable frame or the sheet\n"
        "could not be written; 2 wrong arguments.\n"),
    &RunContactSheet,
});

}  // namespace
