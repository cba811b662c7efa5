#pragma once

namespace vistarel {

// Who holds the result table across the yields of the long handlers. A run
// fills it alone: a second run does not start while one is filling rows or
// while an export reads the table. Exports may read it during a run and beside
// each other, and read what exists; while one reads, the table is neither
// cleared nor refilled under it.
class ResultTableUse {
 public:
  // A hold on the table for the length of a handler, given back when it goes
  // out of scope. A refused claim holds nothing and tests false.
  class Claim {
   public:
    Claim() = default;
    ~Claim() {
      if (holders_ != nullptr)
        --*holders_;
    }
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;
    explicit operator bool() const { return holders_ != nullptr; }

   private:
    friend class ResultTableUse;
    explicit Claim(int& holders) : holders_(&holders) { ++holders; }
    int* holders_ = nullptr;
  };

  // Granted only while nobody fills or reads the table.
  Claim ClaimToFill() { return IsFree() ? Claim(fillers_) : Claim(); }
  // Always granted.
  Claim ClaimToRead() { return Claim(readers_); }

  // Nobody fills or reads the table: it may be cleared.
  bool IsFree() const { return fillers_ == 0 && readers_ == 0; }
  bool IsFilling() const { return fillers_ > 0; }

 private:
  int fillers_ = 0;
  int readers_ = 0;
};

}  // namespace vistarel
