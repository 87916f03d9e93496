#pragma once

// Labels in the order people expect: runs of digits compared as numbers
// ("T2" before "T10", "P007" with "P7"), everything else by character.

#include <QString>

namespace plenvista {

// Whether `a` comes before `b`.
bool natural_less(const QString& a, const QString& b);

}  // namespace plenvista
