#pragma once

#include <QLineEdit>

// A line edit that takes only the characters it is given: a typed
// character that is not among them is dropped (control characters such as
// Backspace still work), and a paste, a middle-button paste or a drop
// inserts only the text's longest leading run of them. Empty allows
// everything.
class CSafeEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit CSafeEdit(const QString& allowed = {}, QWidget* parent = nullptr);

    void SetAllowedCharacters(const QString& allowed) { allowed_ = allowed; }
    const QString& AllowedCharacters() const { return allowed_; }
    // What of text a paste inserts.
    QString LeadingAllowedRun(const QString& text) const;

    // Inserts the clipboard's plain text as far as it is allowed.
    void SafePaste();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    bool Allows(QChar c) const;
    void InsertFiltered(const QString& text);

    QString allowed_;
};
