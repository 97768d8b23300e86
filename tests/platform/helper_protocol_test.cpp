#include "platform/helper_protocol.h"

#include <gtest/gtest.h>

namespace tidewell::platform {
namespace {

// Encodes, frames, unframes and decodes: what the other side of the socket sees.
template <typename T>
std::optional<T> throughTheWire(const T& object) {
    auto frame = encodeHelperFrame(encodeHelperObject("op", object));
    auto archive = decodeHelperFrame(frame);
    if (!archive) return std::nullopt;
    return decodeHelperObject<T>(*archive);
}

TEST(HelperProtocol, EveryMessageClassSurvivesTheWire) {
    TWHelperRawReadRequest request{"sdz1", 1 << 20, 4096};
    EXPECT_EQ(throughTheWire(request), request);
    TWHelperRawReadResult result{{0, 1, 2, 255}};
    EXPECT_EQ(throughTheWire(result), result);
    EXPECT_EQ(throughTheWire(TWHelperRawReadResult{}), TWHelperRawReadResult{});
    TWHelperPathRequest path{"/"};
    EXPECT_EQ(throughTheWire(path), path);
    TWHelperOwnershipRequest ownership{"/a", "/Applications/B.app", "com.example.b"};
    EXPECT_EQ(throughTheWire(ownership), ownership);
    TWHelperPlanRequest plan{"/a", "/Applications/B.app", "com.example.b", "abc123"};
    EXPECT_EQ(throughTheWire(plan), plan);
    TWHelperMetadata metadata{"/x", true, true, 1234567890123, 1000, true};
    EXPECT_EQ(throughTheWire(metadata), metadata);
    TWHelperVerification verification{true, "owned"};
    EXPECT_EQ(throughTheWire(verification), verification);
    TWHelperOperationResult operation{true, "done"};
    EXPECT_EQ(throughTheWire(operation), operation);
}

TEST(HelperProtocol, ArchivesCarryTheClassNamesAndKeys) {
    auto archive = encodeHelperObject(HelperOperation::readRawBytes, TWHelperRawReadRequest{"sdz1", 0, 512});
    EXPECT_EQ(archive.className, "TWHelperRawReadRequest");
    EXPECT_EQ(archive.operation, "readRawBytes");
    EXPECT_EQ(archive.values.at("deviceIdentifier"), HelperValue{std::string("sdz1")});
    EXPECT_EQ(archive.values.at("offset"), HelperValue{std::int64_t{0}});
    EXPECT_EQ(archive.values.at("length"), HelperValue{std::int64_t{512}});
    auto metadata = encodeHelperObject("op", TWHelperMetadata{"/", true, true, 0, 501, false});
    EXPECT_EQ(metadata.values.at("ownerUID"), HelperValue{std::int32_t{501}});
}

TEST(HelperProtocol, AMissingOrMistypedRequiredStringFailsTheWholeObject) {
    auto request = encodeHelperObject("op", TWHelperRawReadRequest{"sdz1", 0, 512});
    request.values.erase("deviceIdentifier");
    EXPECT_FALSE(decodeHelperObject<TWHelperRawReadRequest>(request));
    request.values["deviceIdentifier"] = std::int64_t{1};
    EXPECT_FALSE(decodeHelperObject<TWHelperRawReadRequest>(request));
    auto plan = encodeHelperObject("op", TWHelperPlanRequest{"/a", "/b", "c", "d"});
    plan.values.erase("planHash");
    EXPECT_FALSE(decodeHelperObject<TWHelperPlanRequest>(plan));
    auto metadata = encodeHelperObject("op", TWHelperMetadata{"/x", true, false, 1, 2, false});
    metadata.values["path"] = HelperBytes{'/', 'x'};
    EXPECT_FALSE(decodeHelperObject<TWHelperMetadata>(metadata));
    auto result = encodeHelperObject("op", TWHelperRawReadResult{{1}});
    result.values.erase("data");
    EXPECT_FALSE(decodeHelperObject<TWHelperRawReadResult>(result));
}

TEST(HelperProtocol, AMissingReasonOrMessageDecodesAsUnknown) {
    auto verification = encodeHelperObject("op", TWHelperVerification{true, "owned"});
    verification.values.erase("reason");
    EXPECT_EQ(decodeHelperObject<TWHelperVerification>(verification), (TWHelperVerification{true, "Unknown"}));
    auto operation = encodeHelperObject("op", TWHelperOperationResult{true, "done"});
    operation.values["message"] = true;
    EXPECT_EQ(decodeHelperObject<TWHelperOperationResult>(operation), (TWHelperOperationResult{true, "Unknown"}));
    auto error = encodeHelperError("op", "x");
    error.values.clear();
    EXPECT_EQ(decodeHelperError(error), "Unknown");
}

TEST(HelperProtocol, PlainReadsOfAbsentOrMistypedValuesGiveZeroAndFalse) {
    HelperArchive archive{"op", "TWHelperMetadata", {{"path", std::string("/")}, {"exists", std::int64_t{1}}}};
    EXPECT_EQ(decodeHelperObject<TWHelperMetadata>(archive), (TWHelperMetadata{"/", false, false, 0, 0, false}));
    HelperArchive request{"op", "TWHelperRawReadRequest", {{"deviceIdentifier", std::string("sdz1")}}};
    EXPECT_EQ(decodeHelperObject<TWHelperRawReadRequest>(request), (TWHelperRawReadRequest{"sdz1", 0, 0}));
    request.values["length"] = std::int32_t{512};
    EXPECT_EQ(decodeHelperObject<TWHelperRawReadRequest>(request)->length, 512);
}

TEST(HelperProtocol, OwnerIdentifiersOutsideTheSigned32BitRangeAreMarkedUnrepresentable) {
    auto large = encodeHelperObject("op", TWHelperMetadata{"/", true, false, 0, 4294967294u, false});
    EXPECT_EQ(large.values.at("ownerUID"), HelperValue{std::int32_t{-1}});
    EXPECT_EQ(decodeHelperObject<TWHelperMetadata>(large)->ownerUID, TWHelperMetadata::unrepresentableOwnerUID);
    large.values["ownerUID"] = std::int32_t{-5};
    EXPECT_EQ(decodeHelperObject<TWHelperMetadata>(large)->ownerUID, TWHelperMetadata::unrepresentableOwnerUID);
    large.values["ownerUID"] = std::int32_t{2147483647};
    EXPECT_EQ(decodeHelperObject<TWHelperMetadata>(large)->ownerUID, 2147483647u);
}

TEST(HelperProtocol, AnArchiveOfAnotherClassDoesNotDecode) {
    auto path = encodeHelperObject("op", TWHelperPathRequest{"/"});
    EXPECT_FALSE(decodeHelperObject<TWHelperMetadata>(path));
    EXPECT_FALSE(decodeHelperObject<TWHelperRawReadRequest>(path));
    EXPECT_EQ(decodeHelperError(path), std::nullopt);
    path.className = "TWHelperPathRequestX";
    EXPECT_FALSE(decodeHelperObject<TWHelperPathRequest>(path));
}

}  // namespace
}  // namespace tidewell::platform
