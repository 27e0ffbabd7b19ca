// SPDX-License-Identifier: MIT
#include "timeformat.h"

namespace timing {

namespace {

TimeValue magnitude(TimeValue value)
{
    return value < 0 ? -value : value;
}

std::string twoDigits(TimeValue value)
{
    std::string digits = std::to_string(value);
    return value < 10 ? "0" + digits : digits;
}

void fillField(std::string &text, std::string_view field, TimeValue value)
{
    text.replace(text.find(field), field.size(), twoDigits(value));
}

std::string fillPattern(TimeValue seconds)
{
    std::string text(TimeDisplayPattern);
    fillField(text, "hh", seconds / 3600);
    fillField(text, "mm", seconds / 60 % 60);
    fillField(text, "ss", seconds % 60);
    return text;
}

} // namespace

std::string formatTime(TimeValue point)
{
    return fillPattern(magnitude(point) % SecondsPerDay);
}

std::string formatDuration(TimeValue duration)
{
    return fillPattern(magnitude(duration));
}

} // namespace timing
