#include "editor/SafeEdit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

namespace {

// Below the space, and DEL, are editing keys (Backspace, Ctrl+A, ...): they
// must keep working whatever the field takes.
bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

}  // namespace

CSafeEdit::CSafeEdit(const QString& allowed, QWidget* parent)
    : QLineEdit(parent)
    , allowed_(allowed)
{
}

bool CSafeEdit::Allows(QChar c) const
{
    return allowed_.isEmpty() || allowed_.contains(c);
}

QString CSafeEdit::LeadingAllowedRun(const QString& text) const
{
    if (allowed_.isEmpty())
        return text;
    // A line break ends the run too: "12\r\n" pasted from a list is "12".
    qsizetype length = 0;
    while (length < text.size() && allowed_.contains(text[length]))
        ++length;
    return text.left(length);
}

void CSafeEdit::InsertFiltered(const QString& text)
{
    if (isReadOnly())
        return;
    const QString run = LeadingAllowedRun(text);
    // Nothing usable leaves the field, and what is selected in it, alone.
    if (!run.isEmpty())
        insert(run);
}

void CSafeEdit::SafePaste()
{
    InsertFiltered(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
}

void CSafeEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        SafePaste();
        event->accept();
        return;
    }
    // Ctrl and Meta combinations are commands, not typing.
    if ((event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) == 0) {
        const QString text = event->text();
        for (QChar c : text) {
            if (!IsControl(c) && !Allows(c)) {
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void CSafeEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The X selection's middle-button paste, filtered like any other.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        if (!isReadOnly()) {
            deselect();
            InsertFiltered(QGuiApplication::clipboard()->text(QClipboard::Selection));
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void CSafeEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, &CSafeEdit::SafePaste);
    }
    menu->popup(event->globalPos());
    event->accept();
}

void CSafeEdit::dropEvent(QDropEvent* event)
{
    const QString run = event->mimeData()->hasText() ? LeadingAllowedRun(event->mimeData()->text()) : QString();
    if (isReadOnly() || run.isEmpty()) {
        event->ignore();
        return;
    }
    QMimeData filtered;
    filtered.setText(run);
    QDropEvent copy(event->position(), event->possibleActions(), &filtered, event->buttons(), event->modifiers());
    copy.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&copy);
    event->setDropAction(copy.dropAction());
    event->setAccepted(copy.isAccepted());
}

void CSafeEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    QString kept;
    for (QChar c : commit) {
        if (IsControl(c) || Allows(c))
            kept.append(c);
    }
    if (kept == commit) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent copy(event->preeditString(), event->attributes());
    copy.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&copy);
    event->setAccepted(copy.isAccepted());
}
