# -*- coding: utf-8 -*-
# The option every module of the collection takes: how cfgutil is started.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  cfgutil:
    description:
      - The command that starts cfgutil, split as a shell would, for example
        C(/usr/bin/cfgutil) or C(ip netns exec site1 /usr/bin/cfgutil).
    type: str
    default: cfgutil
"""
