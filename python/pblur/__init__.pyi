from typing import Literal, Mapping, Optional, Tuple, Union

import numpy as np
import numpy.typing as npt

class Error(ValueError): ...

SETTINGS: dict
MODULE_PATH: str

Pair = Union[float, Tuple[float, float]]

class Object:
    blur: Optional[bool]
    reverse: bool
    group: Optional[str]
    def __init__(self, blur: Optional[bool] = None, reverse: bool = False,
                 group: Optional[str] = None) -> None: ...

class Blur:
    settings: dict
    objects: dict
    def __init__(
        self,
        *,
        objects: Optional[Mapping[int, Object]] = None,
        module: Optional[str] = None,
        streak_length: float = 5.0,
        strength: float = 5.0,
        alt_length: float = 5.0,
        alt_strength: float = 5.0,
        echoes: float = 1.0,
        jitter: bool = False,
        depth_test: bool = False,
        no_secondary: bool = False,
        reverse_length: float = 1.0,
        trails: int = 0,
        mode: Literal["all", "opt-in", "opt-out", "none"] = "all",
        tile: Tuple[int, int] = (64, 64),
        vector_scale: Pair = (1.0, 1.0),
        look: Literal["streak", "shutter"] = "streak",
        shutter: float = 0.5,
    ) -> None: ...
    def frame(
        self,
        colour: npt.ArrayLike,
        index: Optional[npt.ArrayLike] = None,
        *,
        uv: Optional[npt.ArrayLike] = None,
        vector: Optional[npt.ArrayLike] = None,
        match: Optional[npt.ArrayLike] = None,
        depth: Optional[npt.ArrayLike] = None,
        alternate: Optional[npt.ArrayLike] = None,
    ) -> npt.NDArray[np.float32]: ...
    def frame_file(
        self,
        path: str,
        output: str,
        *,
        colour: str,
        index: Optional[str] = None,
        uv: Optional[str] = None,
        vector: Optional[str] = None,
        match: Optional[Tuple[str, str]] = None,
        depth: Optional[str] = None,
        alternate: Optional[str] = None,
    ) -> None: ...
    @property
    def frames(self) -> int: ...
