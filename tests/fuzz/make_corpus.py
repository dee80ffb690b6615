#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/<target>/.

The seeds are realistic values: instance IDs of the supported IDE, USB and DVD-RAM
drives and of others, and the mount-table values Windows writes (device paths, 12-byte
disk signatures, 24-byte "DMIO:ID:" values, volume GUID paths). Each is encoded the way
its target reads its input (libFuzzer's FuzzedDataProvider, or the record list of the
letter resolution target). Run it again after changing a target's input layout.
"""
import pathlib
import struct

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"
CDROM_INTERFACE = "{53f56308-b6bf-11d0-94f2-00a0c91efb8b}"

IDE_VELTRANO = "IDE\\CDROMVELTRANO_DVD-RW_1.00\\5&1A2B3C&0&1.0.0"
IDE_SLIMTYPE = "IDE\\CDROMSLIMTYPE_BD-RE_2.10\\4&2F3C4D&0&0.1.0"
IDE_OTHER = "IDE\\CDROMOTHERVENDOR_DVD-ROM_1.0\\5&9A8B7C&0&0.0.0"
USB_IDS = ["USB\\VID_2B47&PID_%s\\KV01234567%02d" % (pid, n)
           for n, pid in enumerate(["0801", "0802", "0A10", "0A11", "0C20", "0C21"])]
USB_OTHER = "USB\\VID_046D&PID_C52B\\6&2A1B3C4D&0&2"
USBSTOR = "USBSTOR\\CdRom&Ven_Korvane&Prod_Slim_DVD&Rev_1.00\\KV0123456789&0"
DVDRAM_CHILD = "DVDRAM\\CDROM\\6&1F2E3D&0&0"
SCSI_CDROM = "SCSI\\CdRom&Ven_HL-DT-ST&Prod_DVD+-RW_GT80N\\4&35A6B7C8&0&010000"


def mount_path(instance_id, interface=CDROM_INTERFACE):
    return "\\??\\" + instance_id.replace("\\", "#") + "#" + interface


def utf16(text):
    return text.encode("utf-16-le")


DISK_SIGNATURE = struct.pack("<IQ", 0x1A2B3C4D, 0x100000)  # signature, partition offset
DMIO_ID = b"DMIO:ID:" + bytes.fromhex("8f3a6c21d4e5b74a9c0d1e2f3a4b5c6d")
VOLUME_GUID_PATH = utf16("\\??\\Volume{6b29fc40-ca47-1067-b31d-00dd010662da}")

MOUNT_VALUES = {
    "ide-veltrano": utf16(mount_path(IDE_VELTRANO.lower())),
    "ide-slimtype": utf16(mount_path(IDE_SLIMTYPE)),
    "usbstor": utf16(mount_path(USBSTOR)),
    "dvdram": utf16(mount_path(DVDRAM_CHILD)),
    "scsi-cdrom": utf16(mount_path(SCSI_CDROM)),
    "disk-signature": DISK_SIGNATURE,
    "dmio-id": DMIO_ID,
    "volume-guid": VOLUME_GUID_PATH,
}


class Provider:
    """Builds an input as FuzzedDataProvider reads it: strings from the front,
    integers from the back (the first one read is the last byte)."""

    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()

    def integral(self, low, high, value):
        span, offset, raw = high - low, 0, value - low
        count = 0
        while offset < 64 and (span >> offset) > 0:
            count += 1
            offset += 8
        self.back += raw.to_bytes(count, "big")
        return self

    def boolean(self, value):
        self.back.append(1 if value else 0)
        return self

    def text(self, text):
        """A ConsumeRandomLengthString of UTF-16LE text; a backslash is doubled and a
        backslash with another byte ends it."""
        self.front += utf16(text).replace(b"\\", b"\\\\") + b"\\ "
        return self

    def rest(self, raw):
        self.front += raw
        return self

    def data(self):
        return bytes(self.front) + bytes(reversed(self.back))


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def drive_key_seeds():
    ids = {"ide-veltrano": IDE_VELTRANO, "ide-slimtype": IDE_SLIMTYPE, "ide-other": IDE_OTHER,
           "usbstor": USBSTOR, "usb-other": USB_OTHER, "dvdram": DVDRAM_CHILD,
           "scsi-cdrom": SCSI_CDROM, "mount-path-ide": mount_path(IDE_VELTRANO),
           "mount-path-dvdram": mount_path(DVDRAM_CHILD)}
    for n, usb in enumerate(USB_IDS):
        ids["usb-%d" % n] = usb
    for name, instance_id in ids.items():
        # ConsumeBool: the program's 40-character key buffer.
        write("drive_key", name, Provider().boolean(True).rest(utf16(instance_id)).data())
    write("drive_key", "usb-small-key",
          Provider().boolean(False).integral(1, 80, 8).rest(utf16(USB_IDS[0])).data())


def dvdram_id_seeds():
    for name, value in MOUNT_VALUES.items():
        write("dvdram_id", name, Provider().integral(0, 2, 0).rest(value).data())
    long_tail = utf16("\\??\\DVDRAM#CDROM#" + "7&" * 130 + "#" + CDROM_INTERFACE)
    write("dvdram_id", "dvdram-long", Provider().integral(0, 2, 0).rest(long_tail).data())


def strings_seeds():
    # Operations: 0 copy, 1 append, 2 format, 3 compare, 4 search.
    small = lambda p, capacity: p.boolean(False).integral(0, 600, capacity)
    write("strings", "copy-root", small(Provider().integral(0, 4, 0), 4).text("E:\\").data())
    write("strings", "copy-id-cut",
          small(Provider().integral(0, 4, 0), 40).text(USB_IDS[0]).data())
    write("strings", "copy-huge-capacity",
          Provider().integral(0, 4, 0).boolean(True).integral(0, 8, 5).text(IDE_VELTRANO).data())
    append = small(Provider().integral(0, 4, 1), 260).boolean(False)
    write("strings", "append-batch-path",
          append.text("C:\\Program Files (x86)").text("\\Korvane\\morvessa\\assign.bat").data())
    for name, form, args in [("format-root", "%c:\\", [(False, ord("E"), "")]),
                             ("format-volume", "\\??\\Volume{%s}", [(True, 0, "0-0-0-0-45")]),
                             ("format-fields", "%-8s|%08X|%5d|%u%%", [(True, 0, "KEY"),
                                                                    (False, 0x2B47, ""),
                                                                    (False, -42, "")])]:
        p = small(Provider().integral(0, 4, 2), 32).text(form)
        for _, number, text in args + [(False, 0, "")] * (3 - len(args)):
            p.integral(-2**31, 2**31 - 1, number).text(text)
        write("strings", name, p.data())
    compare = Provider().integral(0, 4, 3).boolean(True).integral(0, 64, 17)
    write("strings", "compare-ide",
          compare.text("ide\\cdromveltrano_x").text("IDE\\CDROMVELTRANO").data())
    write("strings", "search-guid",
          Provider().integral(0, 4, 4).text("#{").text(mount_path(USBSTOR)).data())


def record(tag, payload):
    return bytes([tag]) + struct.pack("<H", len(payload)) + payload


def cdrom(instance_id, present=True):
    return record(0 if present else 4, utf16(instance_id))


def usb(instance_id):
    return record(1, utf16(instance_id))


def dvdram(parent, child):
    return record(2, utf16(parent) + b"\0\0" + utf16(child))


def mount(letter, value, value_type=3):  # REG_BINARY
    return record(3, bytes([ord(letter) - ord("A")]) + struct.pack("<I", value_type) + value)


def system_disks():
    return (mount("C", DISK_SIGNATURE) + mount("D", DMIO_ID) +
            record(3 | 4, bytes([ord("H") - ord("A")])))  # a volume without an entry


def drive_letter_seeds():
    write("drive_letter", "ide-at-e",
          cdrom(IDE_VELTRANO) + system_disks() + mount("E", MOUNT_VALUES["ide-veltrano"]))
    write("drive_letter", "usb-at-f",
          usb("USB\\VID_2B47&PID_0801\\KV0123456789") + cdrom(SCSI_CDROM) + system_disks() +
          mount("E", MOUNT_VALUES["scsi-cdrom"]) + mount("F", MOUNT_VALUES["usbstor"]))
    write("drive_letter", "dvdram-at-g",
          dvdram(IDE_SLIMTYPE, DVDRAM_CHILD) + system_disks() + mount("G", MOUNT_VALUES["dvdram"]))
    write("drive_letter", "no-drive", cdrom(IDE_OTHER) + system_disks() +
          mount("E", MOUNT_VALUES["scsi-cdrom"]) + mount("V", VOLUME_GUID_PATH))
    write("drive_letter", "absent-drive", cdrom(IDE_VELTRANO, present=False) + system_disks() +
          mount("E", MOUNT_VALUES["ide-veltrano"]))
    write("drive_letter", "odd-and-typed-values",
          cdrom(IDE_SLIMTYPE) + mount("C", DISK_SIGNATURE[:11]) +
          mount("D", utf16(mount_path(IDE_SLIMTYPE)) + b"\0\0", value_type=1) +
          mount("E", b"") + mount("F", MOUNT_VALUES["ide-slimtype"] + b"\x41", value_type=4))
    # A machine of realistic size: about twenty devices, volumes on several letters.
    devices = b"".join(usb("USB\\VID_%04X&PID_%04X\\5&%X&0&%d" % (0x1000 + n, n, n * 7919, n))
                       for n in range(12))
    devices += b"".join(cdrom("SCSI\\Disk&Ven_ATA&Prod_DISK%d\\4&%X&0&0%d0000" % (n, n * 104729, n))
                        for n in range(6))
    letters = b"".join(mount(letter, DISK_SIGNATURE[:4] + struct.pack("<Q", n << 30))
                       for n, letter in enumerate("CDIJKLMN"))
    write("drive_letter", "twenty-devices",
          devices + usb(USB_IDS[3]) + cdrom(IDE_VELTRANO) + letters +
          mount("E", MOUNT_VALUES["usbstor"].replace(utf16("KV0123456789"), utf16("KV0123456703"))))


if __name__ == "__main__":
    drive_key_seeds()
    dvdram_id_seeds()
    strings_seeds()
    drive_letter_seeds()
