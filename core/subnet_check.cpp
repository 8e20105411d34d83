#include "core/subnet_check.h"

#include "core/address_check.h"

#include <cstdint>
#include <optional>

namespace {

const char kGoOn[] = "\r\n\r\nChcete přesto pokračovat?";

bool Contiguous(std::uint32_t mask)
{
    // The one-bits from the top, then nothing: its complement plus one is a
    // power of two.
    const std::uint32_t hostBits = ~mask;
    return (hostBits & (hostBits + 1)) == 0;
}

}  // namespace

std::vector<AddressDoubt> AddressDoubts(const std::string& ip, const std::string& mask, const std::string& gateway)
{
    std::vector<AddressDoubt> doubts;
    const std::optional<std::uint32_t> address = AddressValue(ip);
    const std::optional<std::uint32_t> maskValue = AddressValue(mask);
    if (!address || !maskValue)
        return doubts;
    const std::string maskText = DottedAddress(*maskValue);
    const std::string addressText = DottedAddress(*address);
    if (!Contiguous(*maskValue)) {
        doubts.push_back({Field::Mask,
            "Maska podsítě " + maskText + " není souvislá: její jedničkové bity nenásledují hned po sobě." + kGoOn});
        return doubts;  // what the subnet is, such a mask does not say
    }
    const std::uint32_t hostBits = ~*maskValue;
    // With fewer than two host bits there is no subnet and broadcast address
    // of their own to speak of.
    if (hostBits >= 3) {
        if ((*address & hostBits) == 0)
            doubts.push_back({Field::IP,
                "IP adresa " + addressText + " je adresou samotné podsítě (s maskou " + maskText
                    + "), ne adresou počítače." + kGoOn});
        else if ((*address & hostBits) == hostBits)
            doubts.push_back({Field::IP,
                "IP adresa " + addressText + " je všesměrovou adresou podsítě (s maskou " + maskText
                    + "), ne adresou počítače." + kGoOn});
    }
    const std::optional<std::uint32_t> gatewayValue = AddressValue(gateway);
    if (gatewayValue && (*gatewayValue & *maskValue) != (*address & *maskValue))
        doubts.push_back({Field::Gateway,
            "Brána " + DottedAddress(*gatewayValue) + " neleží v podsíti IP adresy " + addressText + " s maskou "
                + maskText + "." + kGoOn});
    return doubts;
}
