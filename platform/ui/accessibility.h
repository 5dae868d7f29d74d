// Accessible names for controls that were not given one: buttons take their text or, when they
// show only an image, their tooltip; fields take the text of the label whose buddy they are;
// labels their own text. Screen readers then read what the user sees, and tests can find any
// control by it.
#pragma once

class QWidget;

namespace quidora::ui {

void NameControls(QWidget* root);

}  // namespace quidora::ui
