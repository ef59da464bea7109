// Screen readers hear every popup as an alert: its title is the alert's
// name and its text the alert's description. Nothing changes on screen.
#pragma once

class QString;
class QWidget;

// Makes assistive technologies see `popup` as an alert. Called once, before
// the popup is first shown.
void MarkAsAlert(QWidget* popup);

// What the alert says, set at each show before the toolkit reports it.
void SetAlertText(QWidget* popup, const QString& title, const QString& text);

// Reports the alert again for a popup that was on screen already: showing a
// visible window again is no new show to the toolkit, but it is a new
// notification to the user.
void AnnounceAlertAgain(QWidget* popup);
