#pragma once

// The application's main window as the skinned forms see it: which one it
// is, the desktop area it sits on and whether a form counts as active.

#include <QRect>

class QWidget;

// The main window of the application, asked by GetWorkAreaRect and
// FormIsActive. The program registers it at start-up.
void SetApplicationMainForm(QWidget* form);
QWidget* ApplicationMainForm();

// The usable desktop area of the screen nearest to the main form, or of the
// primary screen without one.
QRect GetWorkAreaRect();

// Whether the form counts as the active window: with no main form the form's
// own active flag; false while the application is inactive; true for the
// main form itself or no form; otherwise the form's own active flag.
bool FormIsActive(const QWidget* form);
