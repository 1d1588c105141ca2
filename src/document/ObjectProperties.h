#pragma once

#include "model/Frame.h"
#include "model/Rect.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>
#include <span>

class CMainDoc;
struct FrameSetting;

// How a property is shown and edited.
enum class PropertyEditor : uint8_t {
    ReadOnlyText,
    ReadOnlyNumber,
    YesNo,
    FixedList,     // a drop-down without typed text; the value is the entry's index
    EditableList,  // a drop-down that takes typed text too
    Colour,        // a colour picker with "more..."
    Percent,       // 0..100 with spin buttons, digits only
    FileChooser,   // an open-file chooser; not typed
    Time,          // hh:mm:ss
    Duration,      // seconds with fractions
};

// One property of the object properties: k is its number (name string
// 10799 + k, help text 10899 + k), group its group (caption 11100 + group).
struct ObjectProperty
{
    int k;
    int group;
    PropertyEditor editor;
    // The row of the object settings register it edits; null for what is
    // derived (the number, the type, position and size, the background's
    // transparency).
    const char* setting;
    // The string id of the first entry of a list made of strings; 0 for
    // the lists made otherwise (group names, hotkeys, formats).
    int firstEntryText;
};

inline constexpr int kPropertyGroupCount = 7;

// Every property in the order shown, groups in order.
std::span<const ObjectProperty> ObjectPropertyTable();
const ObjectProperty* FindObjectProperty(int k);
inline int PropertyNameText(int k) { return 10799 + k; }
inline int PropertyHelpText(int k) { return 10899 + k; }
inline int PropertyGroupText(int group) { return 11100 + group; }
// The register's row of a property; null for the derived ones.
const FrameSetting* SettingOfProperty(const ObjectProperty& property);

// Durations: seconds with "%d" when whole, "%.3f" otherwise, empty for 0;
// typed text as decimal seconds ("," as the point too), truncated to ms.
QString DurationText(int milliseconds);
int DurationFromText(const QString& text);
// Timer values: "%02d:%02d:%02d"; a typed time must be 8 characters with
// hours 0..23, minutes and seconds 0..59.
QString TimeText(int seconds);
std::optional<int> TimeFromText(const QString& text);
// The hotkey list: "None", Ctrl+0 .. Ctrl+9, Alt+0 .. Alt+9.
QStringList HotkeyEntries();
// The open-file filter of a file source (Text, RTF, CSV file) and of the
// linked image, as Qt's file dialogs take it.
QString SourceFileFilter(int textSource);
QString ImageFileFilter();

// What a change of a property came to.
enum class PropertyChange : uint8_t {
    Refused,    // invalid or cancelled: the property shows its previous value
    Unchanged,  // nothing to apply
    Changed,    // the copy changed: apply it to the object
};

// The properties of the selected object: a private copy of its settings
// that the grid and the dialog show and change. A change is validated into
// the copy and then the whole copy is written into the object as one undo
// step. Nothing reaches the object before a change has passed validation.
class CObjectProperties
{
public:
    // Chooses an existing file with a filter; nothing on Cancel.
    using FileChooser = std::function<std::optional<QString>(const QString& filter, const QString& current)>;

    CObjectProperties();

    // Copies the object's settings (null: no selection; the values stay as
    // they were). number is its 1-based number on the page, groups the
    // page's group names.
    void Fill(const CFrame* object, int number, const QStringList& groups);
    bool HasSelection() const { return selected_; }

    // The value a property shows: bool for Yes/No, the entry's index for a
    // fixed list, QColor, int for numbers and percents, text otherwise.
    QVariant Value(int k) const;
    // The entries of a list property.
    QStringList Entries(int k) const;
    bool Enabled(int k) const;
    // A failed source or background: the file name shows in red.
    bool Failed(int k) const;

    // Validates a new value into the copy; chooser asks for the file a new
    // file source reads.
    PropertyChange Change(int k, const QVariant& value, const FileChooser& chooser);

    // Writes the whole copy into the object as one "properties changed"
    // undo step: the object stopped first when on air, the script stopped,
    // text editing ended, Show indefinitely on when nothing limits the
    // showing, a new source's placeholder text, the pictures made again,
    // the page modified and the views told.
    void ApplyTo(CMainDoc& doc, CFrame& object);

    // The copy, for the dialog and tests. The transparencies stay alpha
    // values in it: a percentage is turned into alpha only when it is the
    // value changed, so that writing the copy back never moves an alpha
    // the operator did not touch.
    const CFrame& Settings() const { return settings_; }
    CFrame& Settings() { return settings_; }
    const CRect& Rect() const { return rect_; }
    BackgroundKind Background() const { return kind_; }
    // Sets the text source after the file was chosen (or for a source
    // without a file): Clock and Timer fix the movement.
    void SetTextSource(int source);
    // Sets the count direction: the start and stop times change places.
    void SetTimerDirection(int direction);
    // The source read fine after a new file was chosen.
    void ClearSourceFailed() { sourceFailed_ = false; }

private:
    PropertyChange ChangeSetting(const ObjectProperty& property, const QVariant& value, const FileChooser& chooser);

    CFrame settings_;
    bool selected_ = false;
    int number_ = 0;
    CRect rect_;
    BackgroundKind kind_ = BackgroundKind::Solid;
    bool sourceFailed_ = false;
    bool backgroundFailed_ = false;
    QStringList groups_;
};
