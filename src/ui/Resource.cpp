#include "ui/Resource.h"

namespace ombrix::ui {

std::string LoadString(int id) {
    switch (id) {
    case IDS_ABOUTBOX: return "&About Ombrix...";
    default: return {};
    }
}

}  // namespace ombrix::ui
