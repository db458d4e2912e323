// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A system for the discovery tests: one LXI box under two descriptors
// (host name first), and two boxes whose addresses cannot be read.
#pragma once

inline constexpr char lxiSystemsDescription[] = R"({"resources": [
        {"descriptor": "TCPIP0::box.lab::INSTR", "address": "10.0.0.2",
         "motherboard": {"code": 3394, "cards": [{"position": 1, "code": 20848}]}},
        {"descriptor": "TCPIP0::10.0.0.2::INSTR", "sameBoxAs": "TCPIP0::box.lab::INSTR"},
        {"descriptor": "TCPIP0::10.0.0.7::INSTR",
         "motherboard": {"code": 3394, "cards": [{"position": 2, "code": 20848}]},
         "faults": [{"operation": "viGetAttribute", "attribute": "0xBFFF0195", "status": -1, "count": -1}]},
        {"descriptor": "TCPIP0::10.0.0.8::INSTR",
         "motherboard": {"code": 3394, "cards": [{"position": 3, "code": 20848}]},
         "faults": [{"operation": "viGetAttribute", "attribute": "0xBFFF0195", "status": -1, "count": -1}]}
    ]})";
