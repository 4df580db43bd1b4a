#pragma once
// A main-window unit built on the offscreen platform, as the program builds it (hidden, dispatch
// off), and the Windows-1251 spelling of the texts the tests compare.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QCoreApplication>

#include "app/hiSimpleForm_24C8870.h"
#include "elements/Cp1251.h"

inline std::string cp1251(const char* utf8) { return cp1251FromUtf8(utf8); }

class UnitFixture : public testing::Test {
 protected:
  void SetUp() override { unit = std::make_unique<TClassSimpleForm_24C8870>(); }
  void TearDown() override {
    unit.reset();
    QCoreApplication::processEvents();
  }
  TClassSimpleForm_24C8870& u() { return *unit; }

  std::unique_ptr<TClassSimpleForm_24C8870> unit;
};
