// The submit form's body: application/x-www-form-urlencoded pairs, read the way any
// form parser reads them ("+" is a blank, %XX a byte, an escape that is not one stays
// as written).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexa::collector {

// The decoded value of the first field called name; none when the body has no such field.
std::optional<std::string> FormField(std::string_view body, std::string_view name);

}  // namespace vexa::collector
