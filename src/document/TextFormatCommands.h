#pragma once

#include "content/RichTextEngine.h"
#include "content/RichTextFormat.h"
#include "document/DocumentHost.h"

#include <QString>

#include <optional>

// The fields of the paragraph dialog in pixels; an empty optional is an
// empty field (or no entry of a list).
struct ParagraphFields
{
    std::optional<int> alignment;    // 0 left, 1 right, 2 centre
    std::optional<int> lineSpacing;  // 0 single, 1 one and a half, 2 double
    std::optional<int> left;         // the lines after the first
    std::optional<int> right;
    std::optional<int> firstLine;    // relative to left
    std::optional<int> top;          // space before
    std::optional<int> bottom;       // space after

    bool operator==(const ParagraphFields&) const = default;
};

// The dialog's fields from a paragraph format, and the format its fields
// ask for; the mask of the result names only what the fields give.
ParagraphFields ParagraphFieldsOf(const CParaFormat& format, double twipsPerPixelX, double twipsPerPixelY);
CParaFormat ParaFormatOfFields(const ParagraphFields& fields, double twipsPerPixelX, double twipsPerPixelY);

// What the formatting commands ask the operator. The editor answers with
// its dialogs; nullopt is Cancel.
class ITextFormatDialogs
{
public:
    virtual ~ITextFormatDialogs() = default;
    virtual std::optional<ColorRef> ChooseColor(ColorRef initial) = 0;
    // The operator's choice; its mask names the fields the dialog set.
    virtual std::optional<CCharFormat> ChooseFont(const CCharFormat& initial) = 0;
    // singleLine: alignment, right margin and line spacing cannot change.
    virtual std::optional<ParagraphFields> EditParagraph(const ParagraphFields& fields, bool singleLine) = 0;
    // Around changes of the text that may take a moment.
    virtual void ShowBusy(bool busy) = 0;
};

// The text formatting commands of the in-place editor: bold, italic,
// underline, colours, super- and subscript, the font and paragraph dialogs,
// alignment and the font boxes, acting on the engine's selection. The
// selection's formats are cached and read again only after the selection
// or the text changed.
class CTextFormatCommands
{
public:
    // singleLine for objects that move horizontally, whose alignment
    // follows reverse.
    CTextFormatCommands(IRichTextEngine& engine, bool singleLine, bool reverse);

    // Command ids this class runs.
    static bool IsFormatCommand(int id);

    // The selection moved, or the text changed under it (typing, undo).
    void SelectionChanged();

    HostCommandState State(int id);
    // Runs a command (the font boxes excepted); false when nothing changed.
    bool Run(int id, ITextFormatDialogs& dialogs);
    // The font boxes' choices; an empty name or a size of 0 does nothing.
    bool SetFace(const QString& face, ITextFormatDialogs& dialogs);
    bool SetSizePoints(int points, ITextFormatDialogs& dialogs);

    // What the font boxes show, once after each fresh read of the formats:
    // the face (empty when mixed) and the size in points (0 when mixed).
    std::optional<QString> TakeFaceForBox();
    std::optional<int> TakeSizeForBox();

    const CCharFormat& CharFormat();
    const CParaFormat& ParaFormat();

private:
    void Refresh();
    void RefreshParagraph();
    bool ApplyChar(uint32_t mask, ITextFormatDialogs& dialogs);
    bool ApplyPara(const CParaFormat& change, ITextFormatDialogs& dialogs);
    void CollapseToEnd();
    bool ToggleEffect(uint32_t bit, ITextFormatDialogs& dialogs);
    bool ChooseTextColor(ITextFormatDialogs& dialogs);
    bool ToggleBackColor(ITextFormatDialogs& dialogs);
    bool ShiftOffset(int direction, ITextFormatDialogs& dialogs);
    bool ChooseFont(ITextFormatDialogs& dialogs);
    bool Align(int alignment, ITextFormatDialogs& dialogs);
    bool EditParagraph(ITextFormatDialogs& dialogs);

    IRichTextEngine& engine_;
    bool singleLine_;
    bool reverse_;
    CCharFormat charFormat_;
    CParaFormat paraFormat_;
    bool charFormatDirty_ = true;
    bool paraFormatDirty_ = true;
    bool faceBoxDirty_ = false;
    bool sizeBoxDirty_ = false;
};
