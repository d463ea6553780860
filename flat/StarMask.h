#pragma once
// Password fields of this system show "*" for every character, not the platform's dot.
class QLineEdit;

void MaskWithStars(QLineEdit* edit);
