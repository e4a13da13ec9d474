// Boost.Asio and Boost.Beast as the server and its tests include them: Asio 1.74 uses
// std::exchange without including <utility>, so that comes first.
#pragma once

// clang-format off
#include <utility>
#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
// clang-format on
