#pragma once
// Disposal policies of the library's containers: what a container does with
// an element that it drops (a replaced value, a slot cut off by shrinking,
// every element on RemoveAll). The policy is part of the instantiation, so
// every container of one instantiation disposes the same way.

// Owns nothing: dropped elements are left alone.
struct TempNoDispose {
  template <class T>
  void operator()(T&) const {}
};

// Owns heap objects: dropped elements are deleted through their (virtual)
// destructor.
struct TempDeleteDispose {
  template <class T>
  void operator()(T* p) const {
    delete p;
  }
};
