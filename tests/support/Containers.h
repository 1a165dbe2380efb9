// Container bytes built by hand, for tests that read containers.
#pragma once

#include <string>

#include "container/kvr/Kvr.h"

namespace ombrix::test {

using namespace ombrix::kvr;

inline std::string EncodedBody(std::string body) {
    EncodeBody(reinterpret_cast<unsigned char*>(body.data()), body.size());
    return body;
}

inline std::string ContainerBytes(const std::string& name, const std::string& password, const std::string& body) {
    return HeaderEncrypt(name) + std::string(kFileCode) + HeaderEncrypt(password) + std::string(kPassCode) +
           EncodedBody(body);
}

}  // namespace ombrix::test
