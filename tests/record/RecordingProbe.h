// What a recording test compares between a play and its replay: the toy's whole state, its
// timers and every element of the panel, as one text; and a tape of it before every input.
#pragma once

#include <string>
#include <vector>

#include "core/panel/InputPath.h"
#include "core/panel/Unit1.h"

namespace zarq::test {

// The state, the timers (due times counted from `origin`) and the panel's elements.
std::string ToyPicture(TForm1& form, Millis origin);

// Takes the toy's picture just before each input reaches it, then hands the input on.
class StateTape : public InputObserver {
  public:
    StateTape(TForm1& form, Millis origin, InputObserver* next = nullptr)
        : form_(form), origin_(origin), next_(next) {}
    std::vector<std::string> Pictures;
    void InputDelivered(const ToyInput& input) override {
        Pictures.push_back(ToyPicture(form_, origin_));
        if (next_ != nullptr) next_->InputDelivered(input);
    }

  private:
    TForm1& form_;
    Millis origin_;
    InputObserver* next_;
};

// A file name in the system's temporary folder, removed when the test ends.
class TempFile {
  public:
    explicit TempFile(const std::string& stem);
    ~TempFile();
    const std::string& Path() const { return path_; }
    std::string Read() const;
    void Write(const std::string& text) const;

  private:
    std::string path_;
};

}  // namespace zarq::test
