#pragma once

#include <stdexcept>
#include <string>

namespace tidewell::FileFirstAidEngine {

// The errors File First Aid throws; what() is the carried text unchanged.
class RepairError : public std::runtime_error {
public:
    enum class Case { unsupported, cannotRead, noRecoverableContent, toolFailed, writeFailed };

    RepairError(Case errorCase, const std::string& message) : std::runtime_error(message), case_(errorCase) {}
    Case errorCase() const { return case_; }

    static RepairError unsupported(const std::string& m) { return {Case::unsupported, m}; }
    static RepairError cannotRead(const std::string& m) { return {Case::cannotRead, m}; }
    static RepairError noRecoverableContent(const std::string& m) { return {Case::noRecoverableContent, m}; }
    static RepairError toolFailed(const std::string& m) { return {Case::toolFailed, m}; }
    static RepairError writeFailed(const std::string& m) { return {Case::writeFailed, m}; }

private:
    Case case_;
};

}  // namespace tidewell::FileFirstAidEngine
