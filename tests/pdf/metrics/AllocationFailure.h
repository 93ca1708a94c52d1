#pragma once
// Makes one allocation of the test program fail, to test what code does when
// memory runs out. The program's operator new and new[] (throwing and
// nothrow) count allocations while a counter or a failure is in scope; a
// failure makes the k-th allocation from its start fail once (bad_alloc, or
// null for the nothrow forms). Single-threaded use only.
namespace pntest {

class CountAllocations {
 public:
  CountAllocations();
  ~CountAllocations();
  CountAllocations(const CountAllocations&) = delete;
  CountAllocations& operator=(const CountAllocations&) = delete;
  long Count() const;
};

class FailAllocation {
 public:
  explicit FailAllocation(long k);
  ~FailAllocation();
  FailAllocation(const FailAllocation&) = delete;
  FailAllocation& operator=(const FailAllocation&) = delete;
};

}  // namespace pntest
