#pragma once

#include <QString>

class QWidget;

namespace vex {

// The manual's page for a widget: that of the nearest window or part around it
// that has one; the settings dialog opens at the section of the part shown.
// The start page when nothing around it has a page of its own.
QString helpPageFor(const QWidget *widget);

// The section of the settings page that describes a part of the dialog, from
// the part's caption: "Wertung" -> "wertung", "Zeitmessgerät" -> "zeitmessgeraet".
QString partAnchor(const QString &caption);

} // namespace vex
