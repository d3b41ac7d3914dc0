#include "link.h"

namespace zelmar::links {

std::int32_t StatusNumber(LinkError error) {
    switch (error) {
        case LinkError::kNone:
            return 0;
        case LinkError::kOpen:
            return -1;
        case LinkError::kSettings:
            return -2;
        case LinkError::kStatus:
            return -3;
        case LinkError::kWrite:
            return -4;
    }
    return -4;
}

}  // namespace zelmar::links
