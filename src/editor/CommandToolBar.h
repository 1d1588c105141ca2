#pragma once

#include <QToolBar>

#include <functional>

class CActionRegistry;

// A toolbar laid out from its resource: command buttons from the registry,
// separators, and the controls a subclass puts at its boxes' places.
// Large buttons show 32-pixel images instead of 16.
class CCommandToolBar : public QToolBar
{
    Q_OBJECT

public:
    CCommandToolBar(int toolBarId, const QString& title, bool large, QWidget* parent = nullptr);

protected:
    // Lays the toolbar out; box(id) makes the control for a box entry.
    void Build(CActionRegistry& registry, const std::function<QWidget*(int boxId)>& box);

private:
    int toolBarId_;
};
