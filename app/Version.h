#pragma once

namespace quorva {

inline constexpr char kVersion[] = "1.2.0"; // keep in step with project() in CMakeLists.txt

} // namespace quorva
