// An array as members exchange them by reference: up to three dimensions, each with its own
// lower bound, stored with the first index running fastest. An array without storage has rank 0.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <vector>

namespace vexiro {

struct ArrayBound {
  int32_t lower = 0;
  int32_t count = 0;  // elements in this dimension
};

template <class T>
class BasicArray {
 public:
  static constexpr int kMaxRank = 3;

  BasicArray() = default;
  explicit BasicArray(std::initializer_list<ArrayBound> bounds) : BasicArray(std::vector<ArrayBound>(bounds)) {}
  explicit BasicArray(std::vector<ArrayBound> bounds) : bounds_(std::move(bounds)) {
    if (bounds_.size() > kMaxRank) throw std::length_error("at most three dimensions");
    size_t total = bounds_.empty() ? 0 : 1;
    for (const ArrayBound& b : bounds_) {
      if (b.count < 0) throw std::length_error("negative dimension");
      total *= static_cast<size_t>(b.count);
    }
    data_.resize(total);
  }
  // A zero-based one-dimensional array holding the given values.
  static BasicArray FromVector(std::vector<T> values) {
    BasicArray a({ArrayBound{0, static_cast<int32_t>(values.size())}});
    a.data_ = std::move(values);
    return a;
  }

  int Rank() const { return static_cast<int>(bounds_.size()); }
  // dim is 1-based, as in the language the hosts script in.
  const ArrayBound& Bound(int dim) const { return bounds_.at(static_cast<size_t>(dim - 1)); }
  int32_t LBound(int dim) const { return Bound(dim).lower; }
  int32_t UBound(int dim) const { return Bound(dim).lower + Bound(dim).count - 1; }
  size_t size() const { return data_.size(); }

  T& operator()(int32_t i) { return data_.at(Offset({i})); }
  const T& operator()(int32_t i) const { return data_.at(Offset({i})); }
  T& operator()(int32_t i, int32_t j) { return data_.at(Offset({i, j})); }
  const T& operator()(int32_t i, int32_t j) const { return data_.at(Offset({i, j})); }
  T& operator()(int32_t i, int32_t j, int32_t k) { return data_.at(Offset({i, j, k})); }
  const T& operator()(int32_t i, int32_t j, int32_t k) const { return data_.at(Offset({i, j, k})); }

  std::vector<T>& Data() { return data_; }
  const std::vector<T>& Data() const { return data_; }

 private:
  size_t Offset(std::initializer_list<int32_t> index) const {
    if (index.size() != bounds_.size()) throw std::out_of_range("wrong number of dimensions");
    size_t offset = 0, scale = 1;
    size_t d = 0;
    for (int32_t i : index) {
      const ArrayBound& b = bounds_[d++];
      const int64_t rel = static_cast<int64_t>(i) - b.lower;
      if (rel < 0 || rel >= b.count) throw std::out_of_range("subscript out of range");
      offset += static_cast<size_t>(rel) * scale;
      scale *= static_cast<size_t>(b.count);
    }
    return offset;
  }

  std::vector<ArrayBound> bounds_;
  std::vector<T> data_;
};

}  // namespace vexiro
