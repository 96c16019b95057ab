// Translation of a Qt window from the language files: the window's objectName is the section.
#pragma once

class QWidget;

namespace monvalor {

// Translates the form and every control inside it, in place. Never fails.
void TraduireFormulaire(QWidget& form);

} // namespace monvalor
