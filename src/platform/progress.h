#pragma once

namespace qv {

// What a long engine job reports: the range, then its position. A form's progress bar
// implements it; tests pass a recording one.
class Progress {
  public:
    virtual ~Progress() = default;
    virtual void SetMaximum(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
};

// A job started without a progress bar.
class NoProgress : public Progress {
  public:
    void SetMaximum(int) override {}
    void SetPosition(int) override {}
};

}  // namespace qv
