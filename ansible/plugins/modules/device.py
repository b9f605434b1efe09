#!/usr/bin/python
# Brings one device server to a wanted state: address, firmware, web pages.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: device
short_description: Bring one device server to a wanted address, firmware and web pages
description:
  - Finds the device by its hardware address with C(cfgutil discover), then, unless it already
    is as wanted, runs C(cfgutil commission) with a plan of this one device, which probes the
    new address, assigns and confirms it, loads the firmware when the version differs, loads
    the web pages, and records the device.
  - The plan and report of each device are kept in O(state_dir); the report is given back as
    C(--resume), so web pages that were loaded are not loaded again while the archive is the same.
  - Idempotent, with check mode (one discovery, nothing sent that changes a device) and diff
    (old and new address and firmware version).
version_added: "1.0.0"
author: Device Server Works
options:
  hardware_address:
    description: The device's hardware address, six hex pairs (C(-) or C(:)).
    type: str
    required: true
  address:
    description: The address the device should have.
    type: str
    required: true
  firmware:
    description: A firmware image on the managed host to load when the version differs.
    type: path
  firmware_version:
    description: The version O(firmware) brings, as the device query reads it (C(4.10)).
    type: str
  destination:
    description: The product infobase display name the firmware goes to (its first entry if unset).
    type: str
  web_pages:
    description: A web page archive on the managed host to load.
    type: path
  web_destination:
    description: The web directory, C(WEB1) to C(WEB6) (C(WEB6) if unset).
    type: str
  state_dir:
    description: Folder on the managed host for this module's one-device plans and reports.
    type: path
    default: ~/.local/state/configutility/devices
  data_file:
    description: The device data file the record goes into (the settings' file when not given).
    type: path
  create_infobase:
    description: Answer yes to creating a default product infobase when there is none.
    type: bool
    default: false
  discover_timeout:
    description: Seconds the discovery collects replies.
    type: float
extends_documentation_fragment:
  - configutility.devices.cfgutil
notes:
  - Supports check mode and diff mode.
"""

EXAMPLES = r"""
- name: Give the gateway's device server its address and firmware 5.0
  configutility.devices.device:
    hardware_address: 02-00-00-14-01-18
    address: 10.20.0.31
    firmware: /var/lib/configutility/fw-5.0.rom
    firmware_version: "5.0"
  diff: true
"""

RETURN = r"""
before:
  description: The device as discovered, C(null) when it did not answer.
  returned: always
  type: dict
  sample: {address: 10.20.0.200, firmwareVersion: "4.10"}
row:
  description: cfgutil's report row for the device (C(outcome) C(done), C(already done) or
    C(failed at STEP)); in check mode the predicted outcome.
  returned: always
  type: dict
diff:
  description: Old and new address and firmware version.
  returned: when diff mode is on
  type: dict
"""

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.configutility.devices.plugins.module_utils.cfgutil import (
    CFGUTIL_OPTION,
    fail,
    run_cfgutil,
)
from ansible_collections.configutility.devices.plugins.module_utils.commissioning import (
    commission_arguments,
    normal_hw,
    plan_text,
    predict,
    read_csv,
    run_changed,
    write_if_changed,
)


def state(address, version):
    return "address: %s\nfirmware_version: %s\n" % (address or "-", version or "-")


def main():
    module = AnsibleModule(
        argument_spec=dict(
            hardware_address=dict(type="str", required=True),
            address=dict(type="str", required=True),
            firmware=dict(type="path"),
            firmware_version=dict(type="str"),
            destination=dict(type="str"),
            web_pages=dict(type="path"),
            web_destination=dict(type="str"),
            state_dir=dict(type="path", default="~/.local/state/configutility/devices"),
            data_file=dict(type="path"),
            create_infobase=dict(type="bool", default=False),
            discover_timeout=dict(type="float"),
            cfgutil=CFGUTIL_OPTION,
        ),
        required_together=[("firmware", "firmware_version")],
        supports_check_mode=True,
    )
    params = module.params
    row = dict(hardware_address=params["hardware_address"], ip=params["address"],
               firmware=params["firmware"], firmware_version=params["firmware_version"],
               destination=params["destination"], web_pages=params["web_pages"],
               web_destination=params["web_destination"])
    name = normal_hw(params["hardware_address"])
    plan = os.path.join(params["state_dir"], name + ".csv")
    report = os.path.join(params["state_dir"], name + "-report.csv")
    earlier = read_csv(report)

    arguments = ["discover"]
    if params["discover_timeout"] is not None:
        arguments += ["--timeout", str(params["discover_timeout"])]
    dummy, found = run_cfgutil(module, arguments, accept=(0, 1))
    predicted = predict([row], params["state_dir"], earlier, found.get("devices") or [])[0]
    # The earlier report only speaks for web pages: a device moved since is run again, afresh.
    on_device = predicted["currentAddress"] == params["address"] and (
        not params["firmware_version"]
        or predicted["currentFirmwareVersion"] == params["firmware_version"])
    resume = bool(earlier) and on_device
    if predicted["outcome"] == "carried over" and not on_device:
        predicted["outcome"] = "would commission"
    before = None
    if predicted["currentAddress"]:
        before = dict(address=predicted["currentAddress"],
                      firmwareVersion=predicted["currentFirmwareVersion"])
    old = state(predicted["currentAddress"], predicted["currentFirmwareVersion"])
    wanted_version = params["firmware_version"] or predicted["currentFirmwareVersion"]
    result = dict(before=before, row=predicted,
                  diff=dict(before=old, after=state(params["address"], wanted_version),
                            before_header=name, after_header=name))

    if predicted["outcome"] != "would commission" or module.check_mode:
        if predicted["outcome"] != "would commission":
            result["diff"]["after"] = old
        module.exit_json(changed=predicted["outcome"] == "would commission", **result)

    if not os.path.isdir(params["state_dir"]):
        os.makedirs(params["state_dir"])
    write_if_changed(plan, plan_text([row]))
    arguments = commission_arguments(params, plan, report, resume)
    rc, document = run_cfgutil(module, arguments, accept=(0, 1, 2, 3))
    rows = document.get("rows") or []
    if rows:
        result["row"] = rows[0]
        result["diff"]["after"] = state(rows[0].get("address"), rows[0].get("firmwareVersion"))
    result["changed"] = run_changed(rows)
    if rc != 0:
        fail(module, document, rc, **result)
    module.exit_json(rc=rc, **result)


if __name__ == "__main__":
    main()
