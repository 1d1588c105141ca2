#include "document/DocumentHost.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>

int IDocumentHost::DesktopDpi() const
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    return screen != nullptr ? qRound(screen->logicalDotsPerInchX()) : 0;
}

bool IDocumentHost::StartEditorInstance(const QString& path)
{
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("/edit"), path});
}
