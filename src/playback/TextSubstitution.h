#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class ISourceTextControl;

// Putting source text into an object's template, on whatever the control
// holds (it has the template already).

// Replaces the first "%1%" by text, or the whole content when there is none.
void SubstitutePlaceholder(ISourceTextControl& control, const QString& text);

// Replaces every occurrence of every placeholder by its field (field(i) for
// placeholders[i]). Without any placeholder in the content the fields run
// together replace it; when no field with text was put in, the content
// becomes a single space, so an empty row shows blank.
void SubstituteCsvFields(ISourceTextControl& control, const QStringList& placeholders,
                         const std::function<QString(int)>& field);
