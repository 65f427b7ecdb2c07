// One field's value as the record store takes and gives it, tagged with its kind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tankora {

enum class FieldKind { Integer, Real, DateTime, Text, Logical };

struct FieldValue {
    FieldKind kind = FieldKind::Integer;
    std::int32_t integer = 0;  // Integer
    double real = 0.0;         // Real and DateTime (days since 1899-12-30)
    std::string text;          // Text: GBK bytes
    bool logical = false;      // Logical

    static FieldValue ofInteger(std::int32_t v) { return {FieldKind::Integer, v, 0.0, {}, false}; }
    static FieldValue ofReal(double v) { return {FieldKind::Real, 0, v, {}, false}; }
    static FieldValue ofDateTime(double v) { return {FieldKind::DateTime, 0, v, {}, false}; }
    static FieldValue ofText(std::string v) { return {FieldKind::Text, 0, 0.0, std::move(v), false}; }
    static FieldValue ofLogical(bool v) { return {FieldKind::Logical, 0, 0.0, {}, v}; }

    bool isNumeric() const { return kind == FieldKind::Integer || kind == FieldKind::Real; }
    friend bool operator==(const FieldValue&, const FieldValue&) = default;
};

// An argument that may be left out: the field then stays zero (add) or keeps its bytes (modify).
using OptionalFieldValue = std::optional<FieldValue>;

}  // namespace tankora
