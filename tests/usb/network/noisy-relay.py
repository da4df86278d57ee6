#!/usr/bin/env python3
"""A noisy line between the host and a MIP/U50 interface: a pty of its own for the host, the
interface's tty on the other side, every byte copied both ways.  Before each frame the interface
passes up (a niINCOMING_L2 message) it writes to the host:

  * garbage bytes between packets (no 7E, so they are plain line noise),
  * a broken code packet (wrong checksum),
  * a copy of the frame with one data byte changed and the CRC left as it was (a wrong CRC),
  * a copy with the same changed byte, another source node and a CRC that fits (a frame from
    another device on the channel),

each copy a well-formed message (sequence number 0, so the host does not drop the real one
after it as a duplicate).  Neither copy may be taken as the answer: the changed byte would show
in what the host prints.

    noisy-relay.py --host-link PATH --iface PATH --counts FILE

PATH for the host becomes a symlink to the relay's pty.  On SIGTERM it writes the counts
("answers N", "garbage N", "broken N", "bad-crc N", "other-node N", and "acks N": the
host's acknowledgements, one per whole message it read, copies included) to FILE and exits 0.
Standard library only.
"""
import argparse
import os
import select
import signal
import sys
import tty

SYNC = 0x7E
CP_MSG = 2
NI_INCOMING_L2 = 0x1A
GARBAGE = bytes([0x00, 0xFF, 0x13, 0xA5, 0x7F, 0x55])
BROKEN_CODE_PACKET = bytes([SYNC, 0x42, 0x01, 0x00])  # CpMsg seq 2: checksum should be 0x3F
CHANGED_BYTE = 0x55
OTHER_NODE = 0x01
HOST_ACK = bytes([SYNC, 0x10, 0x00, 0x72])  # CpNull with the ack bit: a message arrived whole


def crc16(data):
    """LonTalk frame CRC: CCITT polynomial 0x1021, preset FFFF, complemented, high byte first."""
    crc = 0xFFFF
    for b in data:
        crc ^= b << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021 if crc & 0x8000 else crc << 1) & 0xFFFF
    return (~crc & 0xFFFF).to_bytes(2, "big")


def code_packet(code, param):
    return bytes([SYNC, code, param, -(SYNC + code + param) & 0xFF])


def message(cmd, data):
    """CpMsg (sequence 0) and the escaped message: length, command, data, checksum."""
    body = bytes([len(data) + 1, cmd]) + data
    body += bytes([-sum(body) & 0xFF])
    return code_packet(CP_MSG, 1) + body.replace(b"\x7e", b"\x7e\x7e")


class PacketParser:
    """Splits a MIP/U50 byte stream (either way) into code packets, each with its message if any."""

    def __init__(self):
        self.raw = bytearray()
        self.body = bytearray()
        self.state = "hunt"
        self.escape = False

    def feed(self, byte):
        """Returns (raw bytes, unescaped message or None) when a packet is complete."""
        self.raw.append(byte)
        if self.state == "hunt":
            if byte == SYNC:
                self.state = "code"
                return None
            return self.done(None)
        if self.state == "code":
            if len(self.raw) < 4:
                return None
            if self.raw[1] & 0x0F == CP_MSG:
                self.state, self.body, self.escape = "message", bytearray(), False
                return None
            return self.done(None)
        if self.escape:
            self.escape = False
            if byte != SYNC:  # cut short: pass it on as it came
                return self.done(None)
        elif byte == SYNC:
            self.escape = True
            return None
        self.body.append(byte)
        if len(self.body) == self.body[0] + 2:
            return self.done(bytes(self.body))
        return None

    def done(self, body):
        raw = bytes(self.raw)
        self.raw.clear()
        self.state = "hunt"
        return raw, body


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--host-link", required=True)
    parser.add_argument("--iface", required=True)
    parser.add_argument("--counts", required=True)
    args = parser.parse_args()

    iface = os.open(args.iface, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(iface)
    master, slave = os.openpty()
    tty.setraw(slave)  # kept open: the master never sees a hang-up between host sessions
    if os.path.lexists(args.host_link):
        os.unlink(args.host_link)
    os.symlink(os.ttyname(slave), args.host_link)

    counts = {"answers": 0, "garbage": 0, "broken": 0, "bad-crc": 0, "other-node": 0, "acks": 0}

    def stop(*_):
        with open(args.counts, "w") as out:
            for name, count in counts.items():
                out.write("%s %d\n" % (name, count))
        os.unlink(args.host_link)
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    print("READY", flush=True)

    uplink, downlink = PacketParser(), PacketParser()
    while True:
        ready, _, _ = select.select([master, iface], [], [])
        if master in ready:
            try:
                data = os.read(master, 4096)
            except OSError:
                data = b""
            if data:
                os.write(iface, data)
            for byte in data:
                packet = downlink.feed(byte)
                if packet is not None and packet[0] == HOST_ACK:
                    counts["acks"] += 1
        if iface in ready:
            out = bytearray()
            for byte in os.read(iface, 4096):
                packet = uplink.feed(byte)
                if packet is None:
                    continue
                raw, body = packet
                if body is not None and len(body) > 6 and body[1] == NI_INCOMING_L2:
                    frame = bytearray(body[2:-1])  # L2 header, NPDU ... CRC
                    frame[-3] ^= CHANGED_BYTE
                    out += GARBAGE + BROKEN_CODE_PACKET + message(NI_INCOMING_L2, bytes(frame))
                    frame[3] = frame[3] & 0x80 | (frame[3] & 0x7F) ^ OTHER_NODE
                    frame[-2:] = crc16(frame[:-2])
                    out += message(NI_INCOMING_L2, bytes(frame))
                    for name in ("answers", "garbage", "broken", "bad-crc", "other-node"):
                        counts[name] += 1
                out += raw
            os.write(master, out)


if __name__ == "__main__":
    main()
