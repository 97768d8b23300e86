#include "recovery/deleted/deleted_candidate.h"

#include <algorithm>
#include <cctype>

namespace tidewell::DeletedRecovery {

std::string rawValue(Confidence confidence) {
    switch (confidence) {
        case Confidence::high:
            return "High";
        case Confidence::medium:
            return "Medium";
        case Confidence::low:
            return "Low";
    }
    return "Low";
}

std::string iconName(Confidence confidence) {
    switch (confidence) {
        case Confidence::high:
            return "checkmark.seal.fill";
        case Confidence::medium:
            return "exclamationmark.triangle.fill";
        case Confidence::low:
            return "questionmark.diamond.fill";
    }
    return "questionmark.diamond.fill";
}

int confidenceRank(Confidence confidence) {
    switch (confidence) {
        case Confidence::high:
            return 3;
        case Confidence::medium:
            return 2;
        case Confidence::low:
            return 1;
    }
    return 1;
}

std::string Candidate::evidenceText() const {
    std::string text = carved            ? std::string("Carved from its contents")
                       : fromFoundFolder ? "Found " + sourceFormat + " folder record"
                                         : "Deleted " + sourceFormat + " directory entry";
    const std::string separator = " \u00B7 ";
    if (signature) text += separator + *signature + " signature";
    if (contentIsValidated) text += separator + "content validated";
    text += separator + (isContiguousAndFree ? "unallocated run" : "cluster reuse uncertain");
    return text;
}

namespace {

// Not std::tolower: the process locale must not change the order (Turkish "I", Latin-1 bytes).
unsigned char asciiLowered(unsigned char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<unsigned char>(character - 'A' + 'a') : character;
}

bool caseInsensitiveLess(const std::string& left, const std::string& right) {
    return std::lexicographical_compare(
        left.begin(), left.end(), right.begin(), right.end(),
        [](unsigned char a, unsigned char b) { return asciiLowered(a) < asciiLowered(b); });
}

}  // namespace

void sortCandidates(std::vector<Candidate>& candidates) {
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& left, const Candidate& right) {
        int leftRank = confidenceRank(left.confidence), rightRank = confidenceRank(right.confidence);
        if (leftRank != rightRank) return leftRank > rightRank;
        if (left.sizeBytes != right.sizeBytes) return left.sizeBytes > right.sizeBytes;
        return caseInsensitiveLess(left.name, right.name);
    });
}

}  // namespace tidewell::DeletedRecovery
