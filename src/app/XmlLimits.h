#pragma once

#include <QByteArray>

// The XML parser builds a node of about a hundred bytes per tag and per
// attribute, and checks every new attribute against those before it in the
// same element. A small hostile file could so cost gigabytes or minutes. Its
// readers first scan the bytes against these limits and refuse what exceeds
// them.
struct XmlLimits
{
    qsizetype maxTags = 0;              // every "<" outside quoted values, comments and CDATA
    qsizetype maxAttributes = 0;        // every "=" inside tags, outside quoted values
    qsizetype maxAttributesPerTag = 0;
};

// Whether xml stays within the limits. A cheap single pass; it does not check
// that xml is well-formed.
bool XmlWithinLimits(const QByteArray& xml, const XmlLimits& limits);
