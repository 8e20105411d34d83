// What Windows' own TCP/IP dialog asks about before it applies manual
// addresses: things that are allowed but rarely meant.
#pragma once

#include "core/connection_fields.h"

#include <string>
#include <vector>

// A doubt about the typed addresses: the question to ask, and the field to
// mend when the user answers No.
struct AddressDoubt {
    Field field;
    std::string question;
};

// A mask whose one-bits do not follow each other, an address that is its
// subnet's own or its broadcast address, a gateway outside the subnet of the
// address and mask. The texts have passed the address check; an empty
// gateway or "none" is no gateway.
std::vector<AddressDoubt> AddressDoubts(const std::string& ip, const std::string& mask, const std::string& gateway);
