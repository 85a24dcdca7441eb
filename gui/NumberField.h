// Reading the pages' number fields: signed decimal text, or a refusal that
// beeps and puts the focus into the field, so the user sees which one.
#pragma once

#include <optional>

class QLineEdit;

std::optional<int> ReadNumber(QLineEdit& field);
