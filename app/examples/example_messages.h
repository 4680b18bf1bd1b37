// The messages of section "Common" that report a failed example load, each formatted with the
// file's name. A file that cannot be opened is reported as not being an example.
#pragma once

#include "show_reader.h"
#include "text_table.h"

// The message position for a failed load; -1 for a load that succeeded.
constexpr int exampleLoadMessage(TShowLoadResult result) {
    switch (result) {
    case TShowLoadResult::Loaded:
        return -1;
    case TShowLoadResult::CannotOpen:
    case TShowLoadResult::NotAnExample:
        return common_text::NotAnExample;
    case TShowLoadResult::UnknownVersion:
        return common_text::ExampleVersion;
    case TShowLoadResult::Damaged:
        return common_text::ExampleDamaged;
    }
    return common_text::ExampleDamaged;
}
