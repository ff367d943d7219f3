#pragma once

#include <QuartzCore/CAGradientLayer.h>
#include <QuartzCore/CALayer.h>
#include <QuartzCore/CAMediaTiming.h>
#include <QuartzCore/CARenderer.h>
#include <QuartzCore/CAShapeLayer.h>
#include <QuartzCore/CATextLayer.h>
#include <QuartzCore/CATransaction.h>
